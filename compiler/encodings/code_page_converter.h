// The system's own converter for the code pages this program has no table
// of: the double-byte pages of Japanese, Chinese and Korean, and on Windows
// whatever ANSI code page the system uses. iconv on Linux,
// WideCharToMultiByte and MultiByteToWideChar on Windows; both are strict,
// so that a character with no place is refused, never replaced by a look-alike.

#ifndef PARLAVOX_COMPILER_CODE_PAGE_CONVERTER_H_
#define PARLAVOX_COMPILER_CODE_PAGE_CONVERTER_H_

#include <string>
#include <string_view>

namespace parlavox::os {

// Appends well-formed UTF-8 `utf8` written in code page `number` to `*out`;
// false when a character has no place there (only characters that read back
// as themselves count as having one) or the page is not available.
bool encodeWithSystem(unsigned number, std::string_view utf8, std::string* out);

// Appends `bytes` read in code page `number` to `*out` as UTF-8; false when
// some bytes form no character there.
bool decodeWithSystem(unsigned number, std::string_view bytes,
                      std::string* out);

// The ANSI code page of the system, and whether it has two-byte characters;
// 1252 and false where there is no such setting.
unsigned systemCodePage(bool* doubleByte);

// Whether `byte` starts a two-byte character in code page `number`, asked
// of the system; for pages with no table of lead bytes here.
bool isSystemLeadByte(unsigned number, unsigned char byte);

}  // namespace parlavox::os

#endif  // PARLAVOX_COMPILER_CODE_PAGE_CONVERTER_H_
