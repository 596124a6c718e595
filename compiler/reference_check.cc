#include "compiler/reference_check.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

namespace parlavox {

PlaceholderCounts countPlaceholders(std::string_view text) {
  PlaceholderCounts counts{};
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (end - at >= 2) {
    at = static_cast<const char*>(
        std::memchr(at, '%', static_cast<std::size_t>(end - at - 1)));
    if (at == nullptr) break;
    if (at[1] >= '1' && at[1] <= '9') {
      ++counts[static_cast<std::size_t>(at[1] - '1')];
      at += 2;
    } else {
      ++at;
    }
  }
  return counts;
}

ReferenceCheck checkAgainstReference(const EntryTable& translation,
                                     const EntryTable& reference) {
  ReferenceCheck check;
  // Slot n + 1 holds line number n; a compiled table has every one of them.
  const std::size_t ours = translation.size();
  const std::size_t theirs = reference.size();
  const std::size_t shared = std::min(ours, theirs);
  std::vector<std::size_t> locate;  // translation slots of the findings

  for (std::size_t slot = 1; slot < shared; ++slot) {
    const std::string_view text = translation[slot];
    const std::string_view original = reference[slot];
    if (text == original) {
      ++check.identical;
      continue;
    }
    const PlaceholderCounts used = countPlaceholders(text);
    const PlaceholderCounts expected = countPlaceholders(original);
    if (used != expected) {
      check.findings.push_back({Finding::Kind::kPlaceholders,
                                slot - 1,
                                slot - 1,
                                0,
                                used,
                                expected,
                                {},
                                {}});
      locate.push_back(slot);
    }
  }
  if (theirs > ours) {
    check.missing = theirs - ours;
    check.findings.push_back(
        {Finding::Kind::kMissing, ours - 1, theirs - 2, 0, {}, {}, {}, {}});
  } else if (ours > theirs) {
    check.extra = ours - theirs;
    check.findings.push_back(
        {Finding::Kind::kExtra, theirs - 1, ours - 2, 0, {}, {}, {}, {}});
    locate.push_back(theirs);
  }

  const std::vector<std::size_t> lines = translation.physicalLines(locate);
  std::size_t next = 0;
  for (Finding& finding : check.findings) {
    if (finding.kind != Finding::Kind::kMissing) {
      finding.physicalLine = lines[next++];
    }
  }
  return check;
}

void checkChangedInReference(const EntryTable& translation,
                             const EntryTable& previous,
                             const EntryTable& reference,
                             ReferenceCheck* check) {
  const std::size_t shared =
      std::min({translation.size(), previous.size(), reference.size()});
  std::vector<Finding> changed;
  std::vector<std::size_t> locate;
  for (std::size_t slot = 1; slot < shared; ++slot) {
    if (previous[slot] == reference[slot]) continue;
    changed.push_back({Finding::Kind::kChanged,
                       slot - 1,
                       slot - 1,
                       0,
                       {},
                       {},
                       previous[slot],
                       reference[slot]});
    locate.push_back(slot);
  }
  const std::vector<std::size_t> lines = translation.physicalLines(locate);
  for (std::size_t i = 0; i < changed.size(); ++i) {
    changed[i].physicalLine = lines[i];
  }
  check->changed = changed.size();

  std::vector<Finding> merged;
  merged.reserve(check->findings.size() + changed.size());
  std::merge(check->findings.begin(), check->findings.end(), changed.begin(),
             changed.end(), std::back_inserter(merged),
             [](const Finding& a, const Finding& b) {
               return a.lineNumber < b.lineNumber;
             });
  check->findings = std::move(merged);
}

}  // namespace parlavox
