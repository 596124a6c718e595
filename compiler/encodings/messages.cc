#include "compiler/encodings/messages.h"

#include <string_view>

namespace parlavox::messages {

std::string hexByte(unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string hex = "0x";
  hex += kDigits[byte >> 4];
  hex += kDigits[byte & 0x0F];
  return hex;
}

std::string codePointName(char32_t code) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string digits;
  for (; code != 0 || digits.size() < 4; code >>= 4) {
    digits.insert(digits.begin(), kDigits[code & 0xF]);
  }
  return "U+" + digits;
}

std::string loneSurrogate(char32_t unit) {
  return "the file is saved as UTF-16, but this line holds half of a "
         "character (" +
         codePointName(unit) + " without its other half)";
}

std::string halfUtf16Unit() {
  return "the file is saved as UTF-16, but it ends in half a character (an "
         "odd number of bytes)";
}

}  // namespace parlavox::messages
