// The fixed texts of the encodings layer: the faults of a source saved as
// UTF-16, and how every layer's messages write a byte and a code point.
// Each function joins its values into the exact words shown to the user.

#ifndef PARLAVOX_COMPILER_ENCODINGS_MESSAGES_H_
#define PARLAVOX_COMPILER_ENCODINGS_MESSAGES_H_

#include <string>

namespace parlavox::messages {

// "0x81".
std::string hexByte(unsigned char byte);

// "U+0151": at least four hexadecimal digits.
std::string codePointName(char32_t code);

// A source saved as UTF-16 holds half of a surrogate pair, `unit`.
std::string loneSurrogate(char32_t unit);

// A source saved as UTF-16 ends in a single byte.
std::string halfUtf16Unit();

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_ENCODINGS_MESSAGES_H_
