#include "cli/findings_text.h"

namespace parlavox {

namespace {

// "line number 3" or "line numbers 3 to 7".
std::string lineNumbers(const Finding& finding) {
  if (finding.lineNumber == finding.lastLineNumber) {
    return "line number " + std::to_string(finding.lineNumber);
  }
  return "line numbers " + std::to_string(finding.lineNumber) + " to " +
         std::to_string(finding.lastLineNumber);
}

bool isRange(const Finding& finding) {
  return finding.lineNumber != finding.lastLineNumber;
}

}  // namespace

std::string placeholderList(const PlaceholderCounts& counts) {
  std::string list;
  for (std::size_t digit = 0; digit < counts.size(); ++digit) {
    for (std::uint32_t n = 0; n < counts[digit]; ++n) {
      if (!list.empty()) list += ' ';
      list += '%';
      list += static_cast<char>('1' + digit);
    }
  }
  return list.empty() ? "no placeholder" : list;
}

std::string describeFinding(const Finding& finding) {
  switch (finding.kind) {
    case Finding::Kind::kPlaceholders:
      return lineNumbers(finding) + " uses " +
             placeholderList(finding.translation) +
             " where the reference uses " + placeholderList(finding.reference);
    case Finding::Kind::kMissing:
      return lineNumbers(finding) + " of the reference " +
             (isRange(finding) ? "are" : "is") + " missing";
    case Finding::Kind::kExtra:
      return lineNumbers(finding) + (isRange(finding) ? " are" : " is") +
             " not in the reference, which ends at " +
             std::to_string(finding.lineNumber - 1);
    case Finding::Kind::kChanged:
      return lineNumbers(finding) + " changed in the reference from \"" +
             std::string(finding.before) + "\" to \"" +
             std::string(finding.after) + "\"";
  }
  return {};
}

std::string describeStatistics(std::uint64_t strings,
                               const ReferenceCheck* check) {
  std::string text = std::to_string(strings) + " strings";
  if (check != nullptr) {
    text += ", " + std::to_string(check->missing) + " missing, " +
            std::to_string(check->extra) + " extra, " +
            std::to_string(check->identical) + " identical to the reference";
    if (check->changed) {
      text +=
          ", " + std::to_string(*check->changed) + " changed in the reference";
    }
  }
  return text;
}

}  // namespace parlavox
