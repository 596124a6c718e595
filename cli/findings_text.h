// How parlavox-lngc words the findings of a reference check.

#ifndef PARLAVOX_CLI_FINDINGS_TEXT_H_
#define PARLAVOX_CLI_FINDINGS_TEXT_H_

#include <cstdint>
#include <string>

#include "compiler/reference_check.h"

namespace parlavox {

// "%1 %2", each placeholder as often as it is used; "no placeholder" when
// there is none.
std::string placeholderList(const PlaceholderCounts& counts);

// One sentence for `finding`, for example "line number 1 uses %1 where the
// reference uses %1 %2".
std::string describeFinding(const Finding& finding);

// "12 strings", followed with a check by ", 1 missing, 0 extra, 3 identical
// to the reference" and, after a previous reference, ", 2 changed in the
// reference".
std::string describeStatistics(std::uint64_t strings,
                               const ReferenceCheck* check);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_FINDINGS_TEXT_H_
