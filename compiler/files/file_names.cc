#include "compiler/files/file_names.h"

#include "compiler/encodings/utf16.h"

namespace parlavox {

namespace fs = std::filesystem;

#ifdef _WIN32
fs::path pathFromBytes(std::string_view bytes) {
  // Names are checked before they get here; anything else is shown as
  // U+FFFD, which opens no file named by other bytes.
  const std::u16string wide =
      utf16FromUtf8(bytes).value_or(std::u16string(1, u'\uFFFD'));
  return fs::path(std::wstring(wide.begin(), wide.end()));
}

std::string bytesFromPath(const fs::path& path) {
  const std::wstring& wide = path.native();
  return utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#else
fs::path pathFromBytes(std::string_view bytes) {
  return fs::path(std::string(bytes));
}

std::string bytesFromPath(const fs::path& path) { return path.native(); }
#endif

}  // namespace parlavox
