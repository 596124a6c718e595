// The Windows character sets a language source's Charset line can name, and
// what the application makes of the bytes of a text under each of them.

#ifndef PARLAVOX_COMPILER_CHARSETS_H_
#define PARLAVOX_COMPILER_CHARSETS_H_

#include <string_view>

namespace parlavox {

struct Charset {
  // How the bytes of a text are read under the character set.
  enum class Reading {
    kSingleByte,     // one byte, one character of `codePage`
    kSystemDefault,  // one byte, one character of whatever the system uses
    kDoubleByte,     // one or two bytes per character
    kSymbolFont,     // bytes pick glyphs of a symbol font, not characters
  };

  unsigned value;             // the number on the Charset line
  std::string_view codePage;  // "Windows-1250"
  std::string_view name;      // "Central European"
  Reading reading;
  // The bytes that have no character in `codePage`, for the single-byte
  // code pages checked byte by byte; empty for every other one.
  std::string_view undefinedBytes;
};

// The character set whose number is `value`; nullptr for a number that
// names none.
const Charset* findCharset(unsigned value);

// The character set a Charset value as written in a source names: decimal
// digits only. nullptr for any other text.
const Charset* charsetNamed(std::string_view text);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_CHARSETS_H_
