// The fixed texts of the PO layer: the faults of a malformed PO file, of
// entries that a language source cannot hold, and of sources whose texts a
// PO file cannot hold; and what is said of the files that PO commands read
// and write. Each function joins its values into the exact message shown to
// the user.

#ifndef PARLAVOX_COMPILER_PO_MESSAGES_H_
#define PARLAVOX_COMPILER_PO_MESSAGES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace parlavox::messages {

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

#endif  // PARLAVOX_COMPILER_PO_MESSAGES_H_
