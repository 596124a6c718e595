// Bringing a translation up to date with a newer reference source: the line
// numbers the reference has beyond the translation's highest become lines
// appended to the translation's source, copied from the reference with
// their comments. Nothing the translator wrote is changed. No file access.

#ifndef PARLAVOX_COMPILER_SOURCE_UPDATE_H_
#define PARLAVOX_COMPILER_SOURCE_UPDATE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/format/entry_table.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// The line that introduces the lines copied from the reference.
inline constexpr std::string_view kNewInReferenceLine =
    "// New in the reference, to be translated:";

// An added line whose text holds bytes above 127 while the reference's
// Charset differs from the translation's.
struct CharsetRisk {
  std::uint64_t lineNumber = 0;
  std::size_t physicalLine = 0;  // in the updated source
};

// Why an update was refused: an added text cannot be written in the
// source's encoding.
struct UpdateRefusal {
  enum class Kind {
    kReferenceNotReadable,  // non-ASCII text, the reference has no code page
    kSourceNotWritable,     // non-ASCII text, the 8-bit source has none
    kNoPlace,               // `character` has no place in `codePage`
  };
  Kind kind;
  std::uint64_t lineNumber = 0;
  char32_t character = 0;
  std::string_view codePage;
};

struct SourceUpdate {
  // The bytes to append to the translation's source file, in its encoding;
  // empty when it is up to date or the update is refused.
  std::string appended;
  // The entry lines in `appended`: line numbers firstAdded onwards.
  std::uint64_t added = 0;
  std::uint64_t firstAdded = 0;
  std::vector<CharsetRisk> charsetRisks;
  std::optional<UpdateRefusal> refusal;
};

// The update of `translation`'s source, read in `translationEncoding`, from
// `reference`, read in `referenceEncoding`. Added lines read
// "N | TEXT // COMMENT" as the reference has them and end with the line end
// the source uses (its first; CR LF when it has none); one goes first where
// the source does not end in a line end. They are in the source's
// encoding: a text from an 8-bit reference is decoded in the code page of
// its Charset, one for an 8-bit source encoded in the source's.
SourceUpdate updateFromReference(const EntryTable& translation,
                                 SourceEncoding translationEncoding,
                                 const EntryTable& reference,
                                 SourceEncoding referenceEncoding);

// The same for two 8-bit sources.
SourceUpdate updateFromReference(const EntryTable& translation,
                                 const EntryTable& reference);

// The bytes the file of a source in `encoding` holds for `text`, a table's
// source: UTF-16 in its byte order, else `text` as it is.
std::string fileBytesOf(std::string_view text, SourceEncoding encoding);

// The bytes of the byte-order mark a source in `encoding` started with.
std::string_view markBytesOf(SourceEncoding encoding, ByteOrderMark mark);

// The line end `source` uses first: CR LF, CR or LF; CR LF when it has none.
std::string_view lineEndOf(std::string_view source);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_UPDATE_H_
