// Conversion between the UTF-8 the program holds names in and the UTF-16
// that Windows keeps file names and window texts in. Unpaired surrogates,
// which a Windows file name may hold, pass both ways as three bytes each
// (the generalised UTF-8 known as WTF-8), so that a name converted there and
// back is the same name and never another file's.

#ifndef PARLAVOX_COMPILER_UTF16_H_
#define PARLAVOX_COMPILER_UTF16_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace parlavox {

// `text` as UTF-16; nothing when `text` is not UTF-8 (a surrogate pair
// written as two three-byte sequences is not UTF-8 either).
std::optional<std::u16string> utf16FromUtf8(std::string_view text);

// `text` as UTF-8.
std::string utf8FromUtf16(std::u16string_view text);

// `units` as the bytes of a UTF-16 file, big-endian or else little-endian.
std::string utf16Bytes(std::u16string_view units, bool bigEndian);

// The number of UTF-8 (WTF-8) bytes of `code`.
inline std::size_t utf8Length(char32_t code) {
  return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// Writes `code`, a code point or a lone surrogate, as one to four UTF-8
// (WTF-8) bytes at `out`; returns their end. Inline: decoders call it for
// every character.
inline char* putUtf8(char* out, char32_t code) {
  auto byte = [&](char32_t bits) { *out++ = static_cast<char>(bits); };
  if (code < 0x80) {
    byte(code);
  } else if (code < 0x800) {
    byte(0xC0 | (code >> 6));
    byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    byte(0xE0 | (code >> 12));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  } else {
    byte(0xF0 | (code >> 18));
    byte(0x80 | ((code >> 12) & 0x3F));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  }
  return out;
}

// Appends `code`, a code point or a lone surrogate, as UTF-8 (WTF-8).
void appendUtf8(std::string& out, char32_t code);

// The length of the longest start of `text` that does not end inside a
// sequence: what can be converted now while the rest is still to come.
std::size_t completeUtf8Length(std::string_view text);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_UTF16_H_
