// The fixed texts the compiler hands back to the translator, in one place:
// the faults of a compile, the findings of its checks, which the window and
// parlavox-lngc both show in these words, and what is said of PO files. Each
// function joins its values into the exact message shown to the user.

#ifndef PARLAVOX_COMPILER_MESSAGES_H_
#define PARLAVOX_COMPILER_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/files/text_file.h"

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

// The compiled file's name is, or links to, `node`, which is never replaced.
std::string outputNotAFile(std::string_view name, NodeKind node);

// The source ends in lines that an update was adding when it was stopped,
// and they could not be finished; `cause` as far as the system says.
std::string sourceCutOff(std::string_view name,
                         FileCause cause = FileCause::kNone);

// "ends in lines that a stopped update left cut off, ...", said of a source
// by the compile (sourceCutOff) and by the update.
std::string cutOffLinesNotFinished(FileCause cause);

// The compiled file could not be written; `cause` as far as the system says.
std::string outputNotWritten(std::string_view name,
                             FileCause cause = FileCause::kNone);

// The language name holds a character that is not allowed in a file name.
std::string nameNotAllowed();

// A source saved as UTF-16 holds half of a surrogate pair, `unit`.
std::string loneSurrogate(char32_t unit);

// A source saved as UTF-16 ends in a single byte.
std::string halfUtf16Unit();

// A source that looks like UTF-16 in `encoding` (LE or BE) saved without a
// byte-order mark.
std::string unmarkedUtf16(SourceEncoding encoding);

// `text`, UTF-8 for a message to quote, with each control byte but tab
// (0x00 to 0x1F, 0x7F) written as "<0x00>": a message shows it, and never
// holds the byte.
std::string visibleControls(std::string_view text);

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

// --- PO files: the faults of a malformed file, of entries that a language
// source cannot hold, and of sources whose texts a PO file cannot hold.
// A string whose closing quote is missing.
std::string poUnterminatedString();

// A backslash followed by what gettext does not write: `sequence` is "\q".
std::string poBadEscape(std::string_view sequence);

// Something after a string's closing quote.
std::string poTextAfterString();

// A keyword not followed by a quoted string.
std::string poNoString(std::string_view keyword);

// A keyword where the entry cannot have it; `expected` says what may come.
std::string poOutOfPlace(std::string_view keyword, std::string_view expected);

// A word at the start of a line that is no PO keyword.
std::string poUnknownKeyword(std::string_view word);

// A quoted string that continues no keyword's string.
std::string poStrayString();

// An entry that ends before its msgstr.
std::string poNoMsgstr();

// A string, or a comment, that is not UTF-8.
std::string poNotUtf8();

// A header whose Content-Type names another charset than UTF-8.
std::string poCharset(std::string_view charset);

// The entries a language source cannot hold, each named as poEntryName
// names it (`entry`), or by its msgctxt or msgid.
std::string poNoLineNumber(std::string_view context);
std::string poNoContext(std::string_view id);
std::string poPlural(std::string_view entry);
std::string poDuplicate(std::string_view entry, std::size_t firstLine);
std::string poUnfit(std::string_view entry, std::string_view reason);
std::string poObsolete();

// A header's X-Parlavox-Charset that is no number.
std::string poBadCharset(std::string_view value);

// How an entry is named in these messages: msgctxt "12", or for one
// without a context its msgid.
std::string poEntryName(const std::string* context, std::string_view id);

// A text of a source that the PO file could not give back as it is:
// `what` is "line number 12" or "the comment of line number 12".
std::string poNotDecodable(std::string_view what, std::string_view codePage,
                           unsigned charsetValue);
std::string poNoCodePage(std::string_view what, std::string_view charset);

// A file other than a language source (a PO file, a template) that is not
// there, could not be read, or could not be written; `cause` as far as the
// system says (messages::fileCause).
std::string fileNotFound(std::string_view file);
std::string fileNotRead(std::string_view file, std::string_view cause);
std::string fileNotWritten(std::string_view file, std::string_view cause);

// A PO file, or a language source, that is already there.
std::string poExists(std::string_view file);

}  // namespace parlavox::messages

#endif  // PARLAVOX_COMPILER_MESSAGES_H_
