// The fixed texts the compiler hands back to the translator, in one place:
// the faults of a compile, and the findings of its checks, which the window
// and parlavox-lngc both show in these words. Each function joins its
// values into the exact message shown to the user.

#ifndef PARLAVOX_COMPILER_MESSAGES_H_
#define PARLAVOX_COMPILER_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/text_file.h"

namespace parlavox {

struct EncodingFinding;
struct Finding;
enum class SourceEncoding;

}  // namespace parlavox

namespace parlavox::messages {

// A piece that holds a "|" but no line number in front of it.
std::string delimiterMissing(std::string_view piece, std::uint64_t pieceIndex);

// A line number (or "Charset") whose slot already holds a text.
std::string doubleEntry(std::string_view numberText);

// The lowest line number that has no text.
std::string entryMissing(std::uint64_t lineNumber);

// A line number below -1.
std::string invalidLineNumber(std::string_view numberText);

// No plain file "lang" + name + ".txt" in the folder.
std::string sourceNotFound(std::string_view name);

// The source file has no bytes.
std::string sourceEmpty();

// Why a file could not be read or written, as it follows a message after
// ": "; empty for FileCause::kNone.
std::string fileCause(FileCause cause);

// The source file exists but its bytes cannot be read, or it changed before
// its compiled file was written; `cause` as far as the system says.
std::string sourceUnreadable(std::string_view name,
                             FileCause cause = FileCause::kNone);

// The compiled file could not be written; `cause` as far as the system says.
std::string outputNotWritten(std::string_view name,
                             FileCause cause = FileCause::kNone);

// The language name holds a character that is not allowed in a file name.
std::string nameNotAllowed();

// A source saved as UTF-16 holds half of a surrogate pair, `unit`.
std::string loneSurrogate(char32_t unit);

// A source saved as UTF-16 ends in a single byte.
std::string halfUtf16Unit();

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

// One sentence for `finding` of a check against the reference, for example
// "line number 1 uses %1 where the reference uses %1 %2".
std::string referenceFinding(const Finding& finding);

// How a byte-order mark made a source read: "the file was read as UTF-8 by
// the byte-order mark it starts with".
std::string byteOrderMarkNote(SourceEncoding encoding);

// "UTF-8", "UTF-16 LE", "UTF-16 BE" or "8-bit text".
std::string encodingName(SourceEncoding encoding);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_MESSAGES_H_
