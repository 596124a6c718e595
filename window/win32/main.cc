// The entry point of the Windows window: the tool's folder is the one that
// holds this executable.

#include <windows.h>
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include <filesystem>
#include <string>

#include "window/win32/form1.h"

namespace {

// The folder of the running executable, however long its path.
std::filesystem::path executableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(),
                                            static_cast<DWORD>(path.size()));
    if (length == 0) return std::filesystem::current_path();
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showMode) {
  // The themed buttons of common controls 6, which the manifest asks for.
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);

  parlavox::Form1 form(executableFolder());
  if (!form.open(instance, showMode)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (form.preTranslate(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
