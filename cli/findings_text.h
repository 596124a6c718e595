// How parlavox-lngc counts what it compiled and what it found against the
// reference.

#ifndef PARLAVOX_CLI_FINDINGS_TEXT_H_
#define PARLAVOX_CLI_FINDINGS_TEXT_H_

#include <cstdint>
#include <string>

#include "compiler/reference_check.h"

namespace parlavox {

// "12 strings", followed with a check by ", 1 missing, 0 extra, 3 identical
// to the reference" and, after a previous reference, ", 2 changed in the
// reference".
std::string describeStatistics(std::uint64_t strings,
                               const ReferenceCheck* check);

}  // namespace parlavox

#endif  // PARLAVOX_CLI_FINDINGS_TEXT_H_
