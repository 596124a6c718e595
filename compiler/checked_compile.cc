#include "compiler/checked_compile.h"

#include <optional>

#include "compiler/encodings/languages.h"
#include "compiler/files/file_names.h"
#include "compiler/format/entry_table.h"
#include "compiler/messages.h"
#include "compiler/reference_check.h"
#include "compiler/source/messages.h"
#include "compiler/source/source_file.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

// Adds what the check of `name` against the reference in `folder` finds:
// placeholders that differ and line numbers the translation lacks. The
// reference is the project's file, not the translator's: one that does not
// compile is passed over in silence, as is a translation that changed
// since it compiled.
void checkReference(const fs::path& folder, std::string_view name,
                    CheckedCompile* checked) {
  const std::optional<fs::path> found =
      findLanguageSource(folder, kReferenceLanguage);
  if (!found) return;
  EntryTable reference;
  if (!loadLanguage(folder, kReferenceLanguage, &reference).ok()) return;
  EntryTable translation;
  if (!loadLanguage(folder, name, &translation).ok()) return;
  checked->reference = bytesFromPath(found->filename());
  // A translation that compiled numbers its texts from 0 without a gap, so
  // the line numbers it lacks are one range, beyond its highest.
  const ReferenceCheck check = checkAgainstReference(translation, reference);
  for (const Finding& finding : check.findings) {
    if (finding.kind == Finding::Kind::kPlaceholders ||
        finding.kind == Finding::Kind::kMissing) {
      checked->warnings.push_back(
          {finding.physicalLine, messages::referenceFinding(finding)});
    }
  }
}

}  // namespace

CheckedCompile compileAndCheck(const fs::path& folder, std::string_view name) {
  CheckedCompile checked;
  CompileOptions options;
  options.checkEncoding = true;
  CompileReport report;
  checked.result = compileLanguage(folder, name, options, &report);
  if (!checked.result.ok()) return checked;
  if (const std::optional<fs::path> source = findLanguageSource(folder, name)) {
    checked.source = bytesFromPath(source->filename());
  }
  for (const EncodingFinding& finding : report.findings) {
    checked.warnings.push_back(
        {finding.physicalLine,
         messages::encodingFinding(finding, report.encoding)});
  }
  // English is the reference itself, under any of its names.
  if (languageNamed(name) != languageNamed(kReferenceLanguage)) {
    checkReference(folder, name, &checked);
  }
  return checked;
}

}  // namespace parlavox
