#include "window/win32/form1.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "compiler/checked_compile.h"
#include "window/texts.h"
#include "window/win32/controls.h"
#include "window/win32/findings_box.h"

namespace parlavox {

namespace {

constexpr wchar_t kClassName[] = L"ParlavoxForm1";

// Control identifiers start above IDOK and IDCANCEL, which the dialog keys
// send for Return and Escape.
constexpr WORD kFirstId = 100;

constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

// The tool's icon in the program's resources.
constexpr WORD kIconId = 1;

// The tool's icon at the size the two system metrics give, drawn from the
// image of that size where the icon has one.
HICON toolIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(
      instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
      GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

// The number that the shell's show mode takes from the window's state: 0
// for a window in its normal state, 1 minimised, 2 maximised.
int windowStateNumber(HWND window) {
  if (IsIconic(window)) return 1;
  if (IsZoomed(window)) return 2;
  return 0;
}

}  // namespace

Form1::Form1(std::filesystem::path folder) : folder_(std::move(folder)) {}

Form1::~Form1() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool Form1::open(HINSTANCE instance, int showMode) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &Form1::windowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The title bar and the taskbar show the tool's icon, not the generic one.
  windowClass.hIcon = toolIcon(instance, SM_CXICON, SM_CYICON);
  windowClass.hIconSm = toolIcon(instance, SM_CXSMICON, SM_CYSMICON);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0) return false;

  const int dpi = screenDpi();
  const form::Pixels client = form::pixelsFromTwips(form::kClientArea, dpi);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, kFrameStyle, FALSE, 0);
  const std::wstring caption = textFromBytes(form::kCaption);
  window_ = CreateWindowExW(0, kClassName, caption.c_str(), kFrameStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  createControls();
  createFonts(dpi);
  layOut(dpi);

  Form_Load();
  ShowWindow(window_, showMode);
  lastFocus_ = control(form::kCommand1);
  SetFocus(lastFocus_);
  // The focus shows on "Compile" from the start, not only once a key has
  // been pressed.
  SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS),
               0);
  UpdateWindow(window_);
  return true;
}

bool Form1::preTranslate(MSG* message) {
  if (window_ == nullptr) return false;
  if (message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
    // Return clicks the push button that has the focus, as Space does; in
    // the name box it starts nothing, since no button is the default one.
    for (std::size_t id = 0; id < form::kControlCount; ++id) {
      if (form::kControls[id].kind == form::Kind::kPushButton &&
          message->hwnd == controls_[id]) {
        onCommand(static_cast<WORD>(kFirstId + id), BN_CLICKED);
        return true;
      }
    }
    if (message->hwnd == control(form::kTxtOut)) return true;
  }
  return IsDialogMessageW(window_, message) != FALSE;
}

void Form1::createControls() {
  const std::vector<HWND> windows =
      parlavox::createControls(window_, form::kControls, kFirstId);
  std::copy(windows.begin(), windows.end(), controls_.begin());
  // The name box takes any length of name.
  SendMessageW(control(form::kTxtOut), EM_SETLIMITTEXT, 0, 0);
  if (const auto colour = form::kControls[form::kCommand4].background) {
    lightRed_ = CreateSolidBrush(RGB(colour->red, colour->green, colour->blue));
  }
}

void Form1::createFonts(int dpi) {
  deleteFonts();
  for (std::size_t i = 0; i < form::kFonts.size(); ++i) {
    fonts_[i] = createFont(form::kFonts[i], dpi);
  }
}

void Form1::deleteFonts() {
  for (HFONT& font : fonts_) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
  }
}

void Form1::layOut(int dpi) {
  SendMessageW(window_, WM_SETFONT,
               reinterpret_cast<WPARAM>(
                   fonts_[static_cast<std::size_t>(form::kWindowFont)]),
               FALSE);
  layOutControls(controls_, form::kControls, fonts_, dpi);
  fitClientArea(window_, form::kClientArea, dpi);
}

void Form1::Form_Load() {
  txtOut_Change();
  SetWindowTextW(
      window_,
      textFromBytes(form::captionWithVersion(utf8(windowText(window_))))
          .c_str());
}

void Form1::txtOut_Change() {
  SetWindowTextW(control(form::kLblOut),
                 form::outputText(windowText(control(form::kTxtOut))).c_str());
}

void Form1::Command1_Click() {
  const std::wstring name = windowText(control(form::kTxtOut));
  const CheckedCompile checked = compileAndCheck(folder_, utf8(name));
  if (!checked.result.ok()) {
    MessageBoxW(window_, textFromBytes(checked.result.message()).c_str(),
                textFromBytes(texts::kTitle).c_str(), MB_OK);
    return;
  }
  SetWindowTextW(control(form::kLabel1), form::successText(name).c_str());
  ShowWindow(control(form::kCommand2), SW_SHOW);
  if (!checked.warnings.empty()) {
    // Drawn before the box opens over it, which holds the window's drawing.
    UpdateWindow(window_);
    showFindings(window_,
                 textFromBytes(form::findingsSummary(utf8(name), checked)),
                 textFromBytes(form::findingsList(checked)));
  }
}

void Form1::Command2_Click() {
  browse(form::pageOpenedBy(form::kCommand2).value_or(""));
}

void Form1::Command3_Click() {
  browse(form::pageOpenedBy(form::kCommand3).value_or(""));
}

void Form1::Command4_Click() {
  browse(form::pageOpenedBy(form::kCommand4).value_or(""));
}

void Form1::browse(const std::string& webpage) {
  // No owner window, no parameters, no folder; what the shell answers is
  // not shown.
  ShellExecuteW(nullptr, L"open", textFromBytes(webpage).c_str(), nullptr,
                nullptr, windowStateNumber(window_));
}

void Form1::onCommand(WORD id, WORD code) {
  if (id < kFirstId || id >= kFirstId + form::kControlCount) return;
  const auto control = static_cast<form::ControlId>(id - kFirstId);
  if (control == form::kTxtOut) {
    if (code == EN_CHANGE) txtOut_Change();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (control) {
    case form::kCommand1:
      Command1_Click();
      break;
    case form::kCommand2:
      Command2_Click();
      break;
    case form::kCommand3:
      Command3_Click();
      break;
    case form::kCommand4:
      Command4_Click();
      break;
    default:
      break;
  }
}

void Form1::drawLightRedButton(const DRAWITEMSTRUCT& item) {
  // A standard push button shows no colour of its own: this one is drawn
  // here, a raised face in light red that sinks while it is pressed.
  HDC dc = item.hDC;
  RECT face = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  FillRect(dc, &face, lightRed_);

  const std::wstring caption = windowText(item.hwndItem);
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  const HGDIOBJ previousFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  constexpr UINT kFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT text = face;
  DrawTextW(dc, caption.c_str(), -1, &text, kFormat | DT_CALCRECT);
  const LONG height = text.bottom - text.top;
  text = face;
  text.top += (face.bottom - face.top - height) / 2;
  if (pressed) OffsetRect(&text, 1, 1);
  DrawTextW(dc, caption.c_str(), -1, &text, kFormat);
  SelectObject(dc, previousFont);

  if ((item.itemState & ODS_FOCUS) != 0 &&
      (item.itemState & ODS_NOFOCUSRECT) == 0) {
    InflateRect(&face, -1, -1);
    DrawFocusRect(dc, &face);
  }
}

LRESULT CALLBACK Form1::windowProcedure(HWND window, UINT message,
                                        WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* form = static_cast<Form1*>(create->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form =
      reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form != nullptr && form->handle(message, wParam, lParam)) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

bool Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return true;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem != control(form::kCommand4)) break;
      drawLightRedButton(*item);
      return true;
    }
    case WM_ACTIVATE:
      // The focus comes back to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = GetFocus();
      } else if (lastFocus_ != nullptr && IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
        return true;
      }
      break;
    case WM_DPICHANGED: {
      createFonts(HIWORD(wParam));
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left,
                   suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      layOut(HIWORD(wParam));
      return true;
    }
    case WM_DESTROY:
      // The controls go with the window; their fonts and colour go now.
      deleteFonts();
      if (lightRed_ != nullptr) DeleteObject(lightRed_);
      lightRed_ = nullptr;
      window_ = nullptr;
      PostQuitMessage(0);
      return true;
    default:
      break;
  }
  return false;
}

}  // namespace parlavox
