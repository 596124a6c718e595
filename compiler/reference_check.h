// Checks of a translation against the reference source it was translated
// from: placeholders kept, line numbers covered, texts left as they were.
// Both tables come from sources that compiled. No file access, no output.

#ifndef PARLAVOX_COMPILER_REFERENCE_CHECK_H_
#define PARLAVOX_COMPILER_REFERENCE_CHECK_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/format/entry_table.h"

namespace parlavox {

// How often each placeholder "%1" to "%9" stands in a text; "%10" is "%1"
// followed by "0".
using PlaceholderCounts = std::array<std::uint32_t, 9>;

PlaceholderCounts countPlaceholders(std::string_view text);

// One thing a translator should look at.
struct Finding {
  enum class Kind {
    kPlaceholders,  // lineNumber uses other placeholders than the reference
    kMissing,       // lineNumber..lastLineNumber are in the reference only
    kExtra,         // lineNumber..lastLineNumber are beyond the reference
    kChanged,       // lineNumber's text changed from the previous reference
  };

  Kind kind;
  std::uint64_t lineNumber;
  std::uint64_t lastLineNumber;
  // The physical line of the translation's source, 0 where none fits.
  std::size_t physicalLine;
  PlaceholderCounts translation{};  // kPlaceholders only
  PlaceholderCounts reference{};    // kPlaceholders only
  std::string_view before;          // kChanged: the previous reference's text
  std::string_view after;           // kChanged: the reference's text
};

struct ReferenceCheck {
  std::vector<Finding> findings;  // in line-number order
  std::uint64_t missing = 0;      // line numbers only the reference has
  std::uint64_t extra = 0;        // line numbers beyond the reference's
  std::uint64_t identical = 0;    // texts the same as the reference's
  // With a previous reference: line numbers whose text changed since.
  std::optional<std::uint64_t> changed;
};

// Compares the numbered strings of `translation` with those of `reference`.
ReferenceCheck checkAgainstReference(const EntryTable& translation,
                                     const EntryTable& reference);

// Adds to `check`, in line-number order, a finding for every line number
// that `translation`, `previous` and `reference` all have and whose text
// differs between `previous` (the reference the translation was made from)
// and `reference`, and counts them.
void checkChangedInReference(const EntryTable& translation,
                             const EntryTable& previous,
                             const EntryTable& reference,
                             ReferenceCheck* check);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_REFERENCE_CHECK_H_
