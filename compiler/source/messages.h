// The fixed texts of the source layer: what reading a language source in
// its encoding finds, the findings of the encoding check, and a character
// that the compiled file's code page cannot hold. Each function joins its
// values into the exact message shown to the user.

#ifndef PARLAVOX_COMPILER_SOURCE_MESSAGES_H_
#define PARLAVOX_COMPILER_SOURCE_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/source/encoding_check.h"
#include "compiler/source/source_file.h"

namespace parlavox::messages {

// A source that looks like UTF-16 in `encoding` (LE or BE) saved without a
// byte-order mark.
std::string unmarkedUtf16(SourceEncoding encoding);

// A text holds `character`, which the code page `codePage` of the Charset
// value `charsetValue` cannot hold.
std::string unmappableCharacter(char32_t character, std::uint64_t lineNumber,
                                std::string_view codePage,
                                unsigned charsetValue);

// What follows the fault of a character with no place in its code page
// when Charset `charsetValue` holds every text of the source:
// "; every text fits Charset 238 (Central European)".
std::string fittingCharset(unsigned charsetValue);

// One sentence for `finding` that says what to do, for example "the file is
// saved as UTF-8, but Charset 1 expects the system's ANSI code page: save it
// in that code page", for a source read in `encoding`.
std::string encodingFinding(const EncodingFinding& finding,
                            SourceEncoding encoding);

// How a byte-order mark made a source read: "the file was read as UTF-8 by
// the byte-order mark it starts with".
std::string byteOrderMarkNote(SourceEncoding encoding);

// "UTF-8", "UTF-16 LE", "UTF-16 BE" or "8-bit text".
std::string encodingName(SourceEncoding encoding);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_SOURCE_MESSAGES_H_
