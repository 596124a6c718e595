#include "cli/update.h"

#include <cstdint>
#include <string_view>

#include "cli/encoding_text.h"
#include "cli/findings_text.h"
#include "cli/lngc.h"
#include "compiler/compile.h"
#include "compiler/encodings/languages.h"
#include "compiler/encodings/utf16.h"
#include "compiler/files/file_names.h"
#include "compiler/files/messages.h"
#include "compiler/files/source_append.h"
#include "compiler/files/text_file.h"
#include "compiler/messages.h"
#include "compiler/reference_check.h"
#include "compiler/source/source_file.h"
#include "compiler/source_update.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

// The wording of the update run, in one place.

std::string linesAdded(std::uint64_t added) {
  return std::to_string(added) + (added == 1 ? " line" : " lines") +
         " added from the reference";
}

constexpr std::string_view kUpToDate = "up to date";

std::string charsetName(std::string_view value) {
  return value.empty() ? "no Charset" : "Charset " + std::string(value);
}

std::string charsetRisk(std::uint64_t lineNumber, std::string_view reference,
                        std::string_view translation) {
  return "line number " + std::to_string(lineNumber) +
         " comes from a reference with " + charsetName(reference) +
         "; its non-ASCII characters may not show right under " +
         charsetName(translation);
}

std::string refusalText(const UpdateRefusal& refusal,
                        std::string_view referenceCharset,
                        std::string_view translationCharset) {
  const std::string line =
      "not updated: line number " + std::to_string(refusal.lineNumber);
  switch (refusal.kind) {
    case UpdateRefusal::Kind::kReferenceNotReadable:
      return line + " of the reference holds non-ASCII characters, and " +
             charsetName(referenceCharset) +
             " names no code page to read them in";
    case UpdateRefusal::Kind::kSourceNotWritable:
      return line + " of the reference holds non-ASCII characters, and " +
             charsetName(translationCharset) +
             " of this source names no code page to write them in";
    case UpdateRefusal::Kind::kNoPlace: {
      std::string character;
      appendUtf8(character, refusal.character);
      return line + " of the reference holds \"" + character +
             "\", which has no place in " + std::string(refusal.codePage) +
             ", the code page of this source";
    }
  }
  return {};
}

constexpr std::string_view kAnotherUpdate =
    "not updated: another update of this file is running; run again once it "
    "has ended";

std::string notFinished(FileCause cause) {
  return "not updated: it " + messages::cutOffLinesNotFinished(cause);
}

constexpr std::string_view kFinished =
    "the lines a stopped update left cut off are finished";

constexpr std::string_view kChangedAfterWrite =
    "the lines were added, but the file changed as well while it was "
    "updated; look at it before you compile it";

// Why a SOURCE was not updated, or what else happened to it.
std::string notUpdated(const WriteResult& written) {
  if (written.status == WriteStatus::kChanged) {
    return "not updated: the file changed while it was updated; run again";
  }
  if (written.status == WriteStatus::kChangedAfterWrite) {
    return std::string(kChangedAfterWrite);
  }
  const std::string cause = messages::fileCause(written.cause);
  return "not updated: " +
         (cause.empty() ? "the file could not be written" : cause);
}

std::string strictRefusal(std::size_t warnings) {
  return "not updated: " + std::to_string(warnings) +
         (warnings == 1 ? " warning" : " warnings") + " under --strict";
}

// "SOURCE:LINE: " or "SOURCE: " where no one line fits.
void locate(std::ostream& err, const std::string& given, std::size_t line) {
  err << given << ':';
  if (line != 0) err << line << ':';
  err << ' ';
}

// Updates one SOURCE; false when it failed.
bool updateOne(const UpdateTarget& target, const EntryTable& reference,
               SourceEncoding referenceEncoding, const EntryTable* previous,
               const UpdateOptions& options, std::ostream& out,
               std::ostream& err) {
  // One update of a file at a time, from its read to its last check; a
  // source not found is reported as the load reports it.
  const std::optional<fs::path> found =
      findLanguageSource(target.folder, target.name, target.fileName);
  std::optional<SourceLock> lock;
  if (found) {
    lock.emplace(*found, options.lockWait);
    if (lock->busy()) {
      locate(err, target.given, 0);
      err << kAnotherUpdate << '\n';
      return false;
    }
    const Repair repair = finishCutAppend(*found);
    if (repair.status == RepairStatus::kFailed) {
      locate(err, target.given, 0);
      err << notFinished(repair.cause) << '\n';
      return false;
    }
    if (repair.status == RepairStatus::kFinished) {
      out << target.given << ": " << kFinished << '\n';
    }
  }
  EntryTable table;
  SourceFile file;
  const CompileResult loaded =
      loadLanguage(target.folder, target.name, &table, &file,
                   found ? bytesFromPath(found->filename()) : target.fileName);
  if (!loaded.ok()) {
    locate(err, target.given, loaded.line());
    err << loaded.message() << '\n';
    noteByteOrderMark(err, target.given, file);
    return false;
  }
  const SourceUpdate update =
      updateFromReference(table, file.encoding, reference, referenceEncoding);
  if (update.refusal) {
    locate(err, target.given, 0);
    err << refusalText(*update.refusal, reference[0], table[0]) << '\n';
    return false;
  }
  ReferenceCheck check = checkAgainstReference(table, reference);
  if (previous != nullptr) {
    checkChangedInReference(table, *previous, reference, &check);
  }
  std::size_t warnings = warnEncoding(err, target.given, table, file.encoding,
                                      languageNamed(target.name));
  for (const Finding& finding : check.findings) {
    // The update adds what the reference check would call missing.
    if (finding.kind == Finding::Kind::kMissing) continue;
    locate(err, target.given, finding.physicalLine);
    err << "warning: " << messages::referenceFinding(finding) << '\n';
    ++warnings;
  }
  for (const CharsetRisk& risk : update.charsetRisks) {
    locate(err, target.given, risk.physicalLine);
    err << "warning: " << charsetRisk(risk.lineNumber, reference[0], table[0])
        << '\n';
    ++warnings;
  }
  if (options.strict && warnings != 0) {
    locate(err, target.given, 0);
    err << strictRefusal(warnings) << '\n';
    return false;
  }

  if (options.statistics) {
    check.missing = 0;
    check.identical += update.added;
    out << target.given << ": "
        << describeStatistics(table.lineCount() + update.added, &check) << '\n';
  }
  if (update.appended.empty()) {
    out << target.given << ": " << kUpToDate << '\n';
    return true;
  }
  if (!options.check) {
    // Appended to the very file read, which keeps everything else about it;
    // a source that is a link is updated where it points. The file's last
    // bytes are compared with what was read: for UTF-16 those of the text
    // written back in it.
    const bool utf16 = file.encoding == SourceEncoding::kUtf16Le ||
                       file.encoding == SourceEncoding::kUtf16Be;
    const std::string utf16Text =
        utf16 ? fileBytesOf(table.source(), file.encoding) : std::string();
    const std::string_view readEnd =
        utf16Text.empty() ? table.source() : std::string_view(utf16Text);
    const WriteResult written =
        appendWithJournal(file.path, file.identity, readEnd, update.appended);
    if (!written) {
      locate(err, target.given, 0);
      err << notUpdated(written) << '\n';
      return false;
    }
  }
  out << target.given << ": " << linesAdded(update.added) << '\n';
  return true;
}

}  // namespace

int runUpdate(const std::vector<UpdateTarget>& targets,
              const EntryTable& reference, SourceEncoding referenceEncoding,
              const EntryTable* previous, const UpdateOptions& options,
              std::ostream& out, std::ostream& err) {
  bool failed = false;
  for (const UpdateTarget& target : targets) {
    if (!updateOne(target, reference, referenceEncoding, previous, options, out,
                   err)) {
      failed = true;
    }
  }
  return failed ? kExitCompileFailed : kExitSuccess;
}

}  // namespace parlavox
