// The encodings layer, compiler/encodings/: pure functions over bytes. The
// code pages and Charsets, UTF-8 and UTF-16, the faults of a source saved as
// UTF-16, and the languages a source is written in. It stands at the bottom:
// it may use the standard library and the system's conversion of code pages
// (iconv; MultiByteToWideChar and WideCharToMultiByte on Windows), nothing
// else.
//
// The Windows code pages that a Charset value names, and conversion of text
// between them and Unicode: how a text held as Unicode is written into a
// compiled file that the application reads in the Charset's code page.

#ifndef PARLAVOX_COMPILER_CODE_PAGES_H_
#define PARLAVOX_COMPILER_CODE_PAGES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace parlavox {

struct CodePage {
  unsigned number;        // 1250
  std::string_view name;  // "Windows-1250"
  bool doubleByte;
};

// The code page the application reads texts in under Charset
// `charsetValue`; nullptr where it is not known here (1, 2, 255, any number
// not in the table).
const CodePage* codePageOfCharset(unsigned charsetValue);

// Whether `byte` starts a two-byte character in `page`; always false for a
// single-byte page.
bool isLeadByte(const CodePage& page, unsigned char byte);

struct Encoded {
  bool ok = true;
  char32_t unmappable = 0;           // when !ok: the first character the page
                                     // has no place for
  std::size_t unmappableOffset = 0;  // its byte offset in the UTF-8 input
};

// Appends well-formed UTF-8 `utf8` converted into `page` to `*out`. Never a
// "best fit": a character the page cannot hold stops the conversion and is
// reported (then *out holds an unspecified prefix).
Encoded encodeFromUtf8(const CodePage& page, std::string_view utf8,
                       std::string* out);

// `bytes` in `page` as UTF-8, for showing to the user: a byte (or pair) with
// no character is U+FFFD.
std::string decodeToUtf8(const CodePage& page, std::string_view bytes);

// The code page messages use for an 8-bit text whose Charset names none:
// Windows-1252 on Linux; on Windows the system's ANSI code page (GetACP),
// which may be a page not in the Charset table.
const CodePage& fallbackCodePage();

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_CODE_PAGES_H_
