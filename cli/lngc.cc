#include "cli/lngc.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <string_view>

#include "cli/encoding_text.h"
#include "cli/findings_text.h"
#include "cli/po_commands.h"
#include "cli/update.h"
#include "cli/wildcards.h"
#include "compiler/compile.h"
#include "compiler/encodings/languages.h"
#include "compiler/files/file_names.h"
#include "compiler/format/entry_table.h"
#include "compiler/messages.h"
#include "compiler/reference_check.h"
#include "compiler/source/source_file.h"
#include "version.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgram = "parlavox-lngc";

constexpr std::string_view kUsage =
    "Usage: parlavox-lngc [OPTION]... SOURCE...\n"
    "Compiles each language source langNAME.txt into LangNAME.lng in the\n"
    "same folder.\n"
    "\n"
    "  --check             check the sources, write nothing\n"
    "  --verbose           say how each SOURCE was read and written, and name\n"
    "                      each written file (with --check, each SOURCE) and\n"
    "                      its number of strings\n"
    "  --reference FILE    warn where a SOURCE differs from the reference\n"
    "                      source FILE in placeholders or line numbers\n"
    "  --strict            a SOURCE with warnings fails and is not written\n"
    "  --statistics        count the strings of each SOURCE (and with\n"
    "                      --reference those missing, extra and identical)\n"
    "  --update            with --reference: append to each SOURCE the line\n"
    "                      numbers the reference has beyond it, copied from\n"
    "                      the reference; compile nothing\n"
    "  --previous-reference FILE\n"
    "                      with --reference: warn where a text changed from\n"
    "                      the reference source FILE to the reference\n"
    "  --export-po         with --reference: write langNAME.po, the PO file\n"
    "                      of each SOURCE, beside it; compile nothing\n"
    "  --export-pot        write langNAME.pot, the PO template of each\n"
    "                      reference SOURCE, beside it\n"
    "  --import-po         write langNAME.txt beside each PO file SOURCE\n"
    "                      langNAME.po\n"
    "  --force             let --export-po and --import-po replace a file\n"
#ifdef _WIN32
    "  -h, --help, /?      show this help and exit\n"
#else
    "  -h, --help          show this help and exit\n"
#endif
    "  --version           show the version and exit\n"
    "\n"
#ifdef _WIN32
    "A SOURCE may hold the wildcards * and ?, as in lang*.txt: every file it\n"
    "matches that is named langNAME.txt is compiled.\n"
    "\n"
#endif
    "A SOURCE langNAME.po, a PO file, compiles into LangNAME.lng as a\n"
    "langNAME.txt does.\n"
    "\n"
    "Exit status: 0 when every SOURCE compiled, 1 when any failed,\n"
    "2 for a usage error.\n";

constexpr std::string_view kNoMatch =
    "no file named langNAME.txt matches this pattern";

struct Options {
  bool check = false;
  bool verbose = false;
  bool strict = false;
  bool statistics = false;
  bool update = false;
  bool exportPo = false;
  bool exportPot = false;
  bool importPo = false;
  bool force = false;
  std::optional<std::string> reference;
  std::optional<std::string> previousReference;
  std::vector<std::string> sources;
  std::vector<bool> patterns;  // for each SOURCE: one to expand
};

// An option that takes a FILE, as "NAME FILE" or "NAME=FILE".
struct FileOption {
  std::string_view name;
  std::optional<std::string> Options::*value;
};

constexpr std::array<FileOption, 2> kFileOptions = {{
    {"--reference", &Options::reference},
    {"--previous-reference", &Options::previousReference},
}};

// The FILE option that `arg` gives, in either form; none for any other.
const FileOption* fileOptionOf(std::string_view arg) {
  for (const FileOption& option : kFileOptions) {
    if (arg.substr(0, option.name.size()) == option.name &&
        (arg.size() == option.name.size() || arg[option.name.size()] == '=')) {
      return &option;
    }
  }
  return nullptr;
}

// A SOURCE split into the folder it names and its language name.
struct Source {
  fs::path folder;
  std::string name;
  std::string fileName;  // as given: that very file is the source
  fs::path output;       // the compiled file, as the user named its folder
  bool po = false;       // a PO file, langNAME.po
};

// "Polski" for a file name "langPolski.po", "lang" and ".po" in any case.
std::optional<std::string> poLanguageNameOf(std::string_view fileName) {
  if (fileName.size() < 3) return std::nullopt;
  std::string txt(fileName.substr(0, fileName.size() - 3));
  const std::string_view ending = fileName.substr(fileName.size() - 3);
  if (ending != ".po" && ending != ".PO" && ending != ".Po" &&
      ending != ".pO") {
    return std::nullopt;
  }
  return languageNameOf(txt + ".txt");
}

// The folder and NAME of a path whose file name is "lang" NAME ".txt",
// "lang" and ".txt" in any case.
std::optional<Source> splitSource(const std::string& argument) {
  const fs::path path = pathFromBytes(argument);
  const std::string fileName = bytesFromPath(path.filename());
  std::optional<std::string> name = languageNameOf(fileName);
  Source source;
  if (!name) {
    name = poLanguageNameOf(fileName);
    if (!name) return std::nullopt;
    source.po = true;
  }
  source.folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  source.output = path.parent_path() / pathFromBytes(outputFileName(*name));
  source.name = std::move(*name);
  source.fileName = fileName;
  return source;
}

void reportFailure(std::ostream& err, const std::string& source,
                   const CompileResult& result) {
  err << source << ':';
  if (result.line() != 0) err << result.line() << ':';
  err << ' ' << result.message() << '\n';
}

int usageError(std::ostream& err, std::string_view problem) {
  err << kProgram << ": " << problem << " (see " << kProgram << " --help)\n";
  return kExitUsage;
}

// The options a SOURCE written as a Windows option, "/verbose", may mean.
constexpr std::array<std::string_view, 13> kOptionNames = {"check",
                                                           "verbose",
                                                           "strict",
                                                           "statistics",
                                                           "update",
                                                           "reference",
                                                           "previous-reference",
                                                           "help",
                                                           "version",
                                                           "export-po",
                                                           "export-pot",
                                                           "import-po",
                                                           "force"};

// The option `argument` stands for when it is written as on Windows, with a
// slash, and names no file: "--verbose" for "/verbose" or "/VERBOSE". A
// folder of that name does not count: on Windows "/check" is the folder
// `check` at the root of the current drive, and no folder is a source.
std::optional<std::string> slashOption(const std::string& argument) {
  if (argument.size() < 2 || argument[0] != '/') return std::nullopt;
  std::error_code error;
  const fs::file_status status = fs::status(pathFromBytes(argument), error);
  if (fs::exists(status) && !fs::is_directory(status)) return std::nullopt;
  std::string name = argument.substr(1, argument.find('=') - 1);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (std::find(kOptionNames.begin(), kOptionNames.end(), name) ==
      kOptionNames.end()) {
    return std::nullopt;
  }
  return "--" + name;
}

int notASourceName(std::ostream& err, const std::string& argument) {
  if (const std::optional<std::string> option = slashOption(argument)) {
    return usageError(err, "'" + argument + "' is no option: write " + *option +
                               ", on Windows too");
  }
  return usageError(err, "'" + argument + "' is not named langNAME.txt");
}

// Prints the findings of a compiled SOURCE against the reference; returns
// how many warnings it printed.
std::size_t warn(std::ostream& err, const std::string& source,
                 const ReferenceCheck& check) {
  for (const Finding& finding : check.findings) {
    err << source << ':';
    if (finding.physicalLine != 0) err << finding.physicalLine << ':';
    err << " warning: " << messages::referenceFinding(finding) << '\n';
  }
  return check.findings.size();
}

// "SOURCE: read as UTF-8, written in Windows-1250 (Charset 238)".
void printReading(std::ostream& out, const std::string& source,
                  const SourceFile& file, const EntryTable& table) {
  out << source << ": " << readingText(file, table) << '\n';
}

void printStatistics(std::ostream& out, const std::string& source,
                     const EntryTable& table, const ReferenceCheck* check) {
  out << source << ": " << describeStatistics(table.lineCount(), check) << '\n';
}

// What --verbose says of a SOURCE that --check found good.
void reportChecked(std::ostream& out, const std::string& source,
                   const EntryTable& table) {
  out << source << ": " << table.lineCount() << " strings\n";
}

// Whether `arg` asks for the usage.
bool isHelp(std::string_view arg) {
#ifdef _WIN32
  if (arg == "/?") return true;
#endif
  return arg == "-h" || arg == "--help";
}

// Loads the reference source given as `argument` into `*table`, reporting
// a fault as a compile does; returns the exit status to stop with, if any.
std::optional<int> loadReference(std::ostream& err, const std::string& argument,
                                 EntryTable* table, SourceFile* file) {
  const std::optional<Source> source = splitSource(argument);
  if (!source || source->po) return notASourceName(err, argument);
  const CompileResult loaded =
      loadLanguage(source->folder, source->name, table, file, source->fileName);
  if (!loaded.ok()) {
    reportFailure(err, argument, loaded);
    noteByteOrderMark(err, argument, *file);
    return kExitCompileFailed;
  }
  return std::nullopt;
}

// Compiles `source`, given as `given`, in one pass that writes each text as
// it reads it: the plain compile, which needs no table. Prints what a
// compile prints; returns the exit status.
int compileStreamed(const Source& source, const std::string& given,
                    const Options& options, std::ostream& out,
                    std::ostream& err) {
  CompileOptions how;
  how.checkEncoding = true;
  how.holdBackOnFindings = options.strict;
  how.sourceFileName = source.fileName;
  CompileReport report;
  const CompileResult result =
      compileLanguage(source.folder, source.name, how, &report);
  if (!report.scanned) {
    reportFailure(err, given, result);
    SourceFile file;
    file.encoding = report.encoding;
    file.mark = report.mark;
    noteByteOrderMark(err, given, file);
    return kExitCompileFailed;
  }
  const std::size_t warnings =
      warnEncoding(err, given, report.findings, report.encoding);
  if (report.heldBack) {
    err << given << ": not written: " << warnings
        << (warnings == 1 ? " warning" : " warnings") << " under --strict\n";
    return kExitCompileFailed;
  }
  if (options.statistics) {
    out << given << ": " << describeStatistics(report.lineCount, nullptr)
        << '\n';
  }
  if (!result.ok()) {
    reportFailure(err, given, result);
    return kExitCompileFailed;
  }
  return kExitSuccess;
}

// Prints the warnings of reading a PO file; returns how many.
std::size_t printPoWarnings(std::ostream& err, const std::string& source,
                            const std::vector<PoWarning>& warnings) {
  for (const PoWarning& warning : warnings) {
    err << source << ':' << warning.line << ": warning: " << warning.message
        << '\n';
  }
  return warnings.size();
}

// The files a PO run works on: each argument, or each match of a pattern
// that ends as `ending` says.
std::vector<PoTarget> poTargets(const Options& options, std::ostream& err,
                                int* status) {
  std::vector<PoTarget> targets;
  for (std::size_t i = 0; i < options.sources.size(); ++i) {
    const std::string& argument = options.sources[i];
    if (!options.patterns[i]) {
      targets.push_back({argument, pathFromBytes(argument)});
      continue;
    }
    const std::size_t before = targets.size();
    for (std::string& match : expandWildcard(argument)) {
      targets.push_back({match, pathFromBytes(match)});
    }
    if (targets.size() == before) {
      err << argument << ": no file matches this pattern\n";
      *status = kExitCompileFailed;
    }
  }
  return targets;
}

// --export-po, --export-pot and --import-po.
int runPo(const Options& options, std::ostream& out, std::ostream& err) {
  int status = kExitSuccess;
  const std::vector<PoTarget> targets = poTargets(options, err, &status);
  for (const PoTarget& target : targets) {
    const std::string fileName = bytesFromPath(target.path.filename());
    const bool named = options.importPo ? poLanguageNameOf(fileName).has_value()
                                        : languageNameOf(fileName).has_value();
    if (!named) {
      return usageError(err, "'" + target.given + "' is not named langNAME" +
                                 (options.importPo ? ".po" : ".txt"));
    }
  }
  const PoOptions how{options.check, options.verbose, options.strict,
                      options.force};
  int done = kExitSuccess;
  if (options.importPo) {
    done = importPoFiles(targets, how, out, err);
  } else if (options.exportPot) {
    done = exportPotFiles(targets, how, out, err);
  } else {
    done = exportPoFiles(
        targets, *options.reference,
        [&](EntryTable* reference, SourceFile* file) {
          return loadReference(err, *options.reference, reference, file);
        },
        how, out, err);
  }
  return std::max(status, done);
}

}  // namespace

std::string writeErrorMessage(std::string_view cause) {
  std::string message(kProgram);
  message += ": write error";
  if (!cause.empty()) {
    message += ": ";
    message += cause;
  }
  return message;
}

int runLngc(const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err) {
  std::vector<Argument> given;
  given.reserve(args.size());
  for (const std::string& arg : args) given.push_back({arg, false});
  return runLngc(given, out, err);
}

int runLngc(const std::vector<Argument>& args, std::ostream& out,
            std::ostream& err) {
  // Parsed by hand rather than with an option library: the usage text, the
  // one-line usage errors, "/?" and the exact NAME=FILE forms would each need
  // mending around one, and this loop is shorter than the mends.
  Options options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i].text;
    if (!optionsEnded && isHelp(arg)) {
      out << kUsage;
      return kExitSuccess;
    }
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.sources.push_back(arg);
      options.patterns.push_back(args[i].expand && hasWildcard(arg));
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "--check") {
      options.check = true;
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--strict") {
      options.strict = true;
    } else if (arg == "--statistics") {
      options.statistics = true;
    } else if (arg == "--update") {
      options.update = true;
    } else if (arg == "--export-po") {
      options.exportPo = true;
    } else if (arg == "--export-pot") {
      options.exportPot = true;
    } else if (arg == "--import-po") {
      options.importPo = true;
    } else if (arg == "--force") {
      options.force = true;
    } else if (const FileOption* option = fileOptionOf(arg)) {
      std::optional<std::string>& value = options.*(option->value);
      if (arg.size() > option->name.size()) {
        value = arg.substr(option->name.size() + 1);
      } else if (i + 1 == args.size()) {
        return usageError(err, std::string(option->name) + " needs a FILE");
      } else {
        value = args[++i].text;
      }
    } else if (arg == "--version") {
      out << kProgram << ' ' << kVersion << '\n';
      return kExitSuccess;
    } else {
      return usageError(err, "unknown option '" + arg + "'");
    }
  }
  if (options.sources.empty()) return usageError(err, "no SOURCE given");
  if (options.update && !options.reference) {
    return usageError(err, "--update needs --reference");
  }
  if (options.previousReference && !options.reference) {
    return usageError(err, "--previous-reference needs --reference");
  }
  const int poRuns = int{options.exportPo} + int{options.exportPot} +
                     int{options.importPo} + int{options.update};
  if (poRuns > 1) {
    return usageError(
        err,
        "--export-po, --export-pot, --import-po and --update exclude "
        "each other");
  }
  if (options.exportPo && !options.reference) {
    return usageError(err, "--export-po needs --reference");
  }
  if (poRuns != 0 && !options.update) return runPo(options, out, err);

  int status = kExitSuccess;
  std::vector<std::string> named;
  std::vector<Source> sources;
  for (std::size_t i = 0; i < options.sources.size(); ++i) {
    const std::string& argument = options.sources[i];
    if (options.patterns[i]) {
      const std::size_t before = sources.size();
      for (std::string& match : expandWildcard(argument)) {
        // A pattern picks the sources a window user keeps, not PO files.
        std::optional<Source> source = splitSource(match);
        if (source && !source->po) {
          sources.push_back(std::move(*source));
          named.push_back(std::move(match));
        }
      }
      if (sources.size() == before) {
        err << argument << ": " << kNoMatch << '\n';
        status = kExitCompileFailed;
      }
      continue;
    }
    std::optional<Source> source = splitSource(argument);
    if (!source) {
      return notASourceName(err, argument);
    }
    if (source->po && options.update) {
      return usageError(err, "'" + argument +
                                 "' is a PO file: --update appends to a "
                                 "langNAME.txt; merge a PO file with msgmerge");
    }
    sources.push_back(std::move(*source));
    named.push_back(argument);
  }
  options.sources = std::move(named);

  std::optional<EntryTable> reference;
  SourceFile referenceFile;
  if (options.reference) {
    reference.emplace();
    if (auto stop = loadReference(err, *options.reference, &*reference,
                                  &referenceFile)) {
      return *stop;
    }
  }
  std::optional<EntryTable> previous;
  if (options.previousReference) {
    previous.emplace();
    SourceFile previousFile;
    if (auto stop = loadReference(err, *options.previousReference, &*previous,
                                  &previousFile)) {
      return *stop;
    }
  }

  if (options.update) {
    std::vector<UpdateTarget> targets;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      targets.push_back({options.sources[i], sources[i].folder, sources[i].name,
                         sources[i].fileName});
    }
    UpdateOptions how;
    how.check = options.check;
    how.strict = options.strict;
    how.statistics = options.statistics;
    const int updated =
        runUpdate(targets, *reference, referenceFile.encoding,
                  previous ? &*previous : nullptr, how, out, err);
    return std::max(status, updated);
  }

  for (std::size_t i = 0; i < sources.size(); ++i) {
    const Source& source = sources[i];
    const std::string& given = options.sources[i];
    if (!source.po && !reference && !options.check && !options.verbose) {
      if (compileStreamed(source, given, options, out, err) != kExitSuccess) {
        status = kExitCompileFailed;
      }
      continue;
    }
    EntryTable table;
    SourceFile file;
    std::vector<PoWarning> poWarnings;
    CompileResult result = source.po
                               ? loadPoTable(pathFromBytes(given), given,
                                             &table, &file, &poWarnings)
                               : loadLanguage(source.folder, source.name,
                                              &table, &file, source.fileName);
    if (!result.ok()) {
      reportFailure(err, given, result);
      noteByteOrderMark(err, given, file);
      status = kExitCompileFailed;
      continue;
    }
    // What the write would refuse, --check refuses too.
    if (options.check) result = checkConversion(table, file.encoding);
    if (!result.ok()) {
      reportFailure(err, given, result);
      status = kExitCompileFailed;
      continue;
    }
    std::size_t warnings = printPoWarnings(err, given, poWarnings);
    warnings += warnEncoding(err, given, table, file.encoding,
                             languageNamed(source.name));
    std::optional<ReferenceCheck> check;
    if (reference) {
      check = checkAgainstReference(table, *reference);
      if (previous) {
        checkChangedInReference(table, *previous, *reference, &*check);
      }
      warnings += warn(err, given, *check);
    }
    if (options.strict && warnings != 0) {
      err << given << ": not written: " << warnings
          << (warnings == 1 ? " warning" : " warnings") << " under --strict\n";
      status = kExitCompileFailed;
      continue;
    }
    if (options.statistics) {
      printStatistics(out, given, table, check ? &*check : nullptr);
    }
    if (options.check) {
      if (options.verbose) {
        printReading(out, given, file, table);
        reportChecked(out, given, table);
      }
      continue;
    }
    result = writeLanguage(source.folder, source.name, table, &file);
    if (!result.ok()) {
      reportFailure(err, given, result);
      status = kExitCompileFailed;
    } else if (options.verbose) {
      printReading(out, given, file, table);
      out << bytesFromPath(source.output) << ": " << table.lineCount()
          << " strings\n";
    }
  }
  return status;
}

}  // namespace parlavox
