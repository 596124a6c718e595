#include "window/win32/findings_box.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "window/form.h"
#include "window/texts.h"
#include "window/win32/controls.h"

namespace parlavox {

namespace {

// Above IDOK and IDCANCEL, which the dialog keys send for Return and Escape.
constexpr WORD kFirstId = 100;

constexpr DWORD kFrameStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// What the dialog procedure needs: the texts to show, and the fonts it makes
// for them, which go with the box.
struct Box {
  const std::wstring* summary;
  const std::wstring* findings;
  std::array<HFONT, form::kFonts.size()> fonts{};
};

// A dialog template with no controls, no menu and the standard class: the
// controls come from the description once the box exists.
struct alignas(DWORD) EmptyTemplate {
  DLGTEMPLATE dialog;
  WORD menu = 0;
  WORD windowClass = 0;
  WCHAR title = 0;
};

// A multi-line edit asks for every key, Tab, Return and Escape among them;
// this one is read-only, so those keys are the box's: Tab moves on, Return
// and Escape close it.
LRESULT CALLBACK leaveDialogKeys(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam, UINT_PTR, DWORD_PTR) {
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_GETDLGCODE) return result & ~DLGC_WANTALLKEYS;
  return result;
}

// Places the box over the middle of `owner`, within the screen's work area.
void centreOver(HWND box, HWND owner) {
  RECT over;
  RECT own;
  GetWindowRect(owner, &over);
  GetWindowRect(box, &own);
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  LONG left = (over.left + over.right - width) / 2;
  LONG top = (over.top + over.bottom - height) / 2;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST),
                      &monitor)) {
    const RECT& work = monitor.rcWork;
    left = std::max(work.left, std::min(left, work.right - width));
    top = std::max(work.top, std::min(top, work.bottom - height));
  }
  SetWindowPos(box, nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void open(HWND box, Box* state) {
  SetWindowLongPtrW(box, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  SetWindowTextW(box, textFromBytes(texts::kTitle).c_str());
  const int dpi = screenDpi();
  for (std::size_t i = 0; i < form::kFonts.size(); ++i) {
    state->fonts[i] = createFont(form::kFonts[i], dpi);
  }
  SendMessageW(box, WM_SETFONT,
               reinterpret_cast<WPARAM>(
                   state->fonts[static_cast<std::size_t>(form::kWindowFont)]),
               FALSE);
  const std::vector<HWND> controls =
      createControls(box, form::kFindingsControls, kFirstId);
  layOutControls(controls, form::kFindingsControls, state->fonts, dpi);
  fitClientArea(box, form::kFindingsClientArea, dpi);
  centreOver(box, GetWindow(box, GW_OWNER));

  SetWindowTextW(controls[form::kLblFindings], state->summary->c_str());
  SetWindowTextW(controls[form::kTxtFindings], state->findings->c_str());
  SetWindowSubclass(controls[form::kTxtFindings], &leaveDialogKeys, 0, 0);
  // Return presses OK wherever the focus is.
  SendMessageW(box, DM_SETDEFID, kFirstId + form::kCmdOK, 0);
  SendMessageW(controls[form::kCmdOK], BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  SetFocus(controls[form::kCmdOK]);
}

INT_PTR CALLBACK boxProcedure(HWND box, UINT message, WPARAM wParam,
                              LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      open(box, reinterpret_cast<Box*>(lParam));
      return FALSE;  // the focus is set already
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (id == kFirstId + form::kCmdOK || id == IDOK || id == IDCANCEL) {
        EndDialog(box, IDOK);
        return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      EndDialog(box, IDOK);
      return TRUE;
    case WM_DESTROY: {
      auto* state = reinterpret_cast<Box*>(GetWindowLongPtrW(box, DWLP_USER));
      if (state == nullptr) break;
      RemoveWindowSubclass(GetDlgItem(box, kFirstId + form::kTxtFindings),
                           &leaveDialogKeys, 0);
      for (HFONT& font : state->fonts) {
        if (font != nullptr) DeleteObject(font);
        font = nullptr;
      }
      break;
    }
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void showFindings(HWND owner, const std::wstring& summary,
                  const std::wstring& findings) {
  EmptyTemplate layout{};
  layout.dialog.style = kFrameStyle;
  Box state{&summary, &findings};
  DialogBoxIndirectParamW(
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)),
      &layout.dialog, owner, &boxProcedure, reinterpret_cast<LPARAM>(&state));
}

}  // namespace parlavox
