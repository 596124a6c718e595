// A probe for the Wine test: prints what the top-level window with the
// title given shows, one line per control in tab order:
//
//   CLASS <tab> visible|hidden <tab> focus|focus-hidden|- <tab> TEXT
//
// where "focus-hidden" is the focus on a control that does not draw it, and
// a CR LF in a text is written as "\r\n". Exits with 1 when no window has
// the title. It reads the window from outside, as any other program could.

#include <windows.h>

#include <string>

#include "compiler/encodings/utf16.h"

namespace {

std::string utf8(const std::wstring& text) {
  return parlavox::utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring textOf(HWND window) {
  // WM_GETTEXT reaches a control of another process.
  const auto length =
      static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  text.resize(static_cast<std::size_t>(SendMessageW(
      window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

void write(const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(),
            static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  HWND window = FindWindowW(nullptr, argv[1]);
  if (window == nullptr) return 1;
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  std::string report;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    std::string focus = "-";
    if (child == thread.hwndFocus) {
      const auto state = SendMessageW(child, WM_QUERYUISTATE, 0, 0);
      focus = (state & UISF_HIDEFOCUS) != 0 ? "focus-hidden" : "focus";
    }
    std::string text;
    for (const char c : utf8(textOf(child))) {
      if (c == '\r') {
        text += "\\r";
      } else if (c == '\n') {
        text += "\\n";
      } else {
        text += c;
      }
    }
    report += utf8(className) + '\t' +
              (IsWindowVisible(child) ? "visible" : "hidden") + '\t' + focus +
              '\t' + text + '\n';
  }
  write(report);
  return 0;
}
