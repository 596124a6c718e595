// The fixed texts of the format layer: the faults of a language source's
// numbered lines, as the scanner finds them, and how a message shows the
// bytes of the source it quotes. Each function joins its values into the
// exact message shown to the user.

#ifndef PARLAVOX_COMPILER_FORMAT_MESSAGES_H_
#define PARLAVOX_COMPILER_FORMAT_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace parlavox::messages {

// A piece that holds a "|" but no line number in front of it.
std::string delimiterMissing(std::string_view piece, std::uint64_t pieceIndex);

// A line number (or "Charset") whose slot already holds a text.
std::string doubleEntry(std::string_view numberText);

// The lowest line number that has no text.
std::string entryMissing(std::uint64_t lineNumber);

// A line number below -1.
std::string invalidLineNumber(std::string_view numberText);

// `text`, UTF-8 for a message to quote, with each control byte but tab
// (0x00 to 0x1F, 0x7F) written as "<0x00>": a message shows it, and never
// holds the byte.
std::string visibleControls(std::string_view text);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_FORMAT_MESSAGES_H_
