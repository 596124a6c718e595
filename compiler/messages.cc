#include "compiler/messages.h"

#include <cstddef>
#include <cstdint>

#include "compiler/files/messages.h"

namespace parlavox::messages {

std::string sourceNotFound(std::string_view name) {
  return "File lang" + std::string(name) + ".txt not found in this directory";
}

std::string sourceEmpty() { return "Lang.txt is empty. Not compiled"; }

namespace {

// "TEXT" or "TEXT: CAUSE".
std::string withCause(std::string text, FileCause cause) {
  const std::string why = fileCause(cause);
  if (!why.empty()) text += ": " + why;
  return text;
}

}  // namespace

std::string sourceUnreadable(std::string_view name, FileCause cause) {
  return withCause("File lang" + std::string(name) + ".txt could not be read",
                   cause);
}

std::string outputNotAFile(std::string_view name, NodeKind node) {
  std::string what;
  switch (node) {
    case NodeKind::kFolder:
      what = "a folder";
      break;
    case NodeKind::kDevice:
      what = "a device";
      break;
    case NodeKind::kPipe:
      what = "a pipe";
      break;
    case NodeKind::kSocket:
      what = "a socket";
      break;
    case NodeKind::kFile:
    case NodeKind::kOther:
      what = "something else";
      break;
  }
  return "File Lang" + std::string(name) + ".lng could not be written: it is " +
         what + ", not a file";
}

std::string cutOffLinesNotFinished(FileCause cause) {
  return withCause(
      "ends in lines that a stopped update left cut off, and they could not "
      "be finished",
      cause);
}

std::string sourceCutOff(std::string_view name, FileCause cause) {
  return "File lang" + std::string(name) + ".txt " +
         cutOffLinesNotFinished(cause);
}

std::string outputNotWritten(std::string_view name, FileCause cause) {
  return withCause(
      "File Lang" + std::string(name) + ".lng could not be written", cause);
}

std::string nameNotAllowed() {
  return "Language name may not contain any of \\ / : * ? \" < > |";
}

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

// "%1 %2", each placeholder as often as it is used; "no placeholder" when
// there is none.
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

}  // namespace

std::string referenceFinding(const Finding& finding) {
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

}  // namespace parlavox::messages
