#include <windows.h>

#include <optional>

#include "compiler/encodings/code_page_converter.h"
#include "compiler/encodings/utf16.h"

namespace parlavox::os {

bool encodeWithSystem(unsigned number, std::string_view utf8,
                      std::string* out) {
  if (utf8.empty()) return true;
  const std::optional<std::u16string> wide = utf16FromUtf8(utf8);
  if (!wide) return false;
  const auto* from = reinterpret_cast<const wchar_t*>(wide->data());
  const int fromSize = static_cast<int>(wide->size());
  // A character takes at most two bytes.
  const std::size_t start = out->size();
  out->resize(start + wide->size() * 2);
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(
      number, WC_NO_BEST_FIT_CHARS, from, fromSize, out->data() + start,
      static_cast<int>(wide->size() * 2), nullptr, &usedDefault);
  if (written <= 0 || usedDefault) {
    out->resize(start);
    return false;
  }
  out->resize(start + static_cast<std::size_t>(written));
  return true;
}

bool decodeWithSystem(unsigned number, std::string_view bytes,
                      std::string* out) {
  if (bytes.empty()) return true;
  std::u16string wide(bytes.size(), u'\0');
  const int read = MultiByteToWideChar(
      number, MB_ERR_INVALID_CHARS, bytes.data(),
      static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(wide.data()),
      static_cast<int>(wide.size()));
  if (read <= 0) return false;
  wide.resize(static_cast<std::size_t>(read));
  out->append(utf8FromUtf16(wide));
  return true;
}

unsigned systemCodePage(bool* doubleByte) {
  const UINT page = GetACP();
  CPINFO info{};
  *doubleByte = GetCPInfo(page, &info) && info.MaxCharSize == 2;
  return page;
}

bool isSystemLeadByte(unsigned number, unsigned char byte) {
  return IsDBCSLeadByteEx(number, byte) != 0;
}

}  // namespace parlavox::os
