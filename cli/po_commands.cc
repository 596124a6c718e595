#include "cli/po_commands.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "compiler/encodings/languages.h"
#include "compiler/files/file_blocks.h"
#include "compiler/files/file_names.h"
#include "compiler/files/file_system.h"
#include "compiler/files/messages.h"
#include "compiler/files/run_beside.h"
#include "compiler/files/text_file.h"
#include "compiler/format/language_source.h"
#include "compiler/po/messages.h"
#include "compiler/po/po_export.h"
#include "compiler/po/po_file.h"
#include "compiler/po/po_reader.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

void reportFault(std::ostream& err, const std::string& given,
                 const CompileResult& result) {
  err << given << ':';
  if (result.line() != 0) err << result.line() << ':';
  err << ' ' << result.message() << '\n';
}

// `given` with its extension replaced by `extension`, as the user would
// name the file beside it.
std::string besideAs(const std::string& given, std::string_view extension) {
  fs::path path = pathFromBytes(given);
  path.replace_extension(pathFromBytes(extension));
  return bytesFromPath(path);
}

bool isThere(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// Says, as a fault of `from`, that the file at `path` is there already.
void reportThere(std::ostream& err, const std::string& from,
                 const fs::path& path) {
  err << from << ": " << messages::poExists(bytesFromPath(path.filename()))
      << '\n';
}

// Says, as a fault of `from`, why the file at `path` was not written.
void reportNotWritten(std::ostream& err, const std::string& from,
                      const fs::path& path, const WriteResult& written) {
  err << from << ": "
      << messages::fileNotWritten(bytesFromPath(path.filename()),
                                  messages::fileCause(written.cause))
      << '\n';
}

// Writes `text` as the file `given`, made of `from`, unless it is there and
// may not be replaced; returns whether it was written. Faults are `from`'s.
bool writeFile(std::ostream& err, const std::string& from,
               const std::string& given, std::string_view text,
               bool mayReplace) {
  const fs::path path = pathFromBytes(given);
  if (!mayReplace && isThere(path)) {
    reportThere(err, from, path);
    return false;
  }
  const std::string_view parts[] = {text};
  const WriteResult written = replaceFile(path, parts);
  if (!written) {
    reportNotWritten(err, from, path, written);
    return false;
  }
  return true;
}

// Loads the langNAME.txt `target` into `*table`, reporting a fault.
bool loadSource(std::ostream& err, const PoTarget& target, EntryTable* table,
                SourceFile* file, std::string* name) {
  const std::optional<std::string> found =
      languageNameOf(bytesFromPath(target.path.filename()));
  if (!found) return false;
  *name = *found;
  const fs::path folder =
      target.path.has_parent_path() ? target.path.parent_path() : ".";
  const CompileResult loaded = loadLanguage(folder, *name, table, file);
  if (!loaded.ok()) {
    reportFault(err, target.given, loaded);
    return false;
  }
  return true;
}

// The PO text of one source, handed to the sink as it is made.
using MakeExport = std::function<PoExport(const PoSink&)>;

// Writes the PO text that `make` gives as the file beside `target` with
// `extension`, as it is made; a fault of the export is reported as one of
// `referenceGiven` where it is in the reference.
bool writeExport(std::ostream& out, std::ostream& err, const PoTarget& target,
                 const std::string& referenceGiven, const MakeExport& make,
                 std::string_view extension, const PoOptions& options,
                 bool mayReplace) {
  const std::string written = besideAs(target.given, extension);
  const fs::path path = pathFromBytes(written);
  const bool refused = !mayReplace && isThere(path);
  PoExport exported;
  bool made = false;
  WriteResult result = WriteResult::written();
  if (!options.check && !refused) {
    result = replaceFileWith(path, [&](FileWriter& writer) {
      made = true;
      exported = make([&](std::string_view part) { writer.write(part); });
      if (!exported.result.ok()) writer.abandon();
    });
  }
  // A fault of the source comes before any of the file written.
  if (!made) exported = make([](std::string_view) {});
  if (!exported.result.ok()) {
    reportFault(err, exported.inReference ? referenceGiven : target.given,
                exported.result);
    return false;
  }
  if (!options.check && refused) {
    reportThere(err, target.given, path);
    return false;
  }
  if (!result) {
    reportNotWritten(err, target.given, path, result);
    return false;
  }
  if (options.verbose) {
    out << written << ": " << exported.entries << " entries";
    if (extension == ".po") out << ", " << exported.translated << " translated";
    out << '\n';
  }
  return true;
}

// A source loaded for its export, with what its loading had to say.
struct LoadedSource {
  bool ok = false;
  EntryTable table;
  SourceFile file;
  std::string name;
  std::string errors;
};

LoadedSource loadForExport(const PoTarget& target) {
  LoadedSource loaded;
  std::ostringstream errors;
  loaded.ok =
      loadSource(errors, target, &loaded.table, &loaded.file, &loaded.name);
  loaded.errors = errors.str();
  return loaded;
}

using WriteOne = std::function<bool(const PoTarget&, const LoadedSource&)>;

// Loads each of `sources` and writes its export with `writeOne`, loading
// the next source while one is written, and the first while `first` runs;
// returns the exit status, or the status `first` stops with.
int exportEach(const std::vector<PoTarget>& sources, std::ostream& err,
               const std::function<std::optional<int>()>& first,
               const WriteOne& writeOne) {
  LoadedSource next;
  std::optional<int> stop;
  runBeside(
      [&] {
        if (!sources.empty()) next = loadForExport(sources.front());
      },
      [&] { stop = first(); });
  if (stop) return *stop;
  int status = 0;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const LoadedSource current = std::exchange(next, LoadedSource());
    runBeside(
        [&] {
          if (i + 1 < sources.size()) next = loadForExport(sources[i + 1]);
        },
        [&] {
          err << current.errors;
          if (!current.ok || !writeOne(sources[i], current)) status = 1;
        });
  }
  return status;
}

}  // namespace

int exportPoFiles(const std::vector<PoTarget>& sources,
                  const std::string& referenceGiven,
                  const LoadReference& loadReference, const PoOptions& options,
                  std::ostream& out, std::ostream& err) {
  const std::string referenceName =
      bytesFromPath(pathFromBytes(referenceGiven).filename());
  EntryTable reference;
  SourceFile referenceFile;
  return exportEach(
      sources, err, [&] { return loadReference(&reference, &referenceFile); },
      [&](const PoTarget& target, const LoadedSource& source) {
        const MakeExport make = [&](const PoSink& sink) {
          return exportPo({&reference, referenceFile.encoding}, referenceName,
                          {&source.table, source.file.encoding},
                          languageNamed(source.name), sink);
        };
        return writeExport(out, err, target, referenceGiven, make, ".po",
                           options, options.force);
      });
}

int exportPotFiles(const std::vector<PoTarget>& sources,
                   const PoOptions& options, std::ostream& out,
                   std::ostream& err) {
  return exportEach(
      sources, err, [] { return std::optional<int>(); },
      [&](const PoTarget& target, const LoadedSource& source) {
        const MakeExport make = [&](const PoSink& sink) {
          return exportPo({&source.table, source.file.encoding},
                          bytesFromPath(target.path.filename()), {}, nullptr,
                          sink);
        };
        // A template holds no one's work: a new one replaces the old.
        return writeExport(out, err, target, target.given, make, ".pot",
                           options, true);
      });
}

namespace {

// The size from which a PO file is read in two halves at once: below it,
// starting the thread costs more than it saves.
constexpr std::uint64_t kHalvesFrom = std::uint64_t{4} << 20;

// Reads and converts the PO file `target` into `*source`; `*read` gets
// the file as read.
CompileResult readPoSource(const PoTarget& target, PoLayout layout,
                           PoSource* source, ReadResult* read,
                           const PoTextSink& sink = {}) {
  const std::string fileName = bytesFromPath(target.path.filename());
  FileBlocks file(target.path);
  const bool halves =
      std::thread::hardware_concurrency() > 1 && file.size() >= kHalvesFrom;
  *read = readPoFile(&file, target.path, layout, halves, source, sink);
  if (read->status == ReadStatus::kNotAFile) {
    return CompileResult::failure(messages::fileNotFound(fileName));
  }
  if (read->status != ReadStatus::kRead) {
    return CompileResult::failure(
        messages::fileNotRead(fileName, messages::fileCause(read->cause)));
  }
  return source->result;
}

std::size_t printWarnings(std::ostream& err, const std::string& given,
                          const std::vector<PoWarning>& warnings) {
  for (const PoWarning& warning : warnings) {
    err << given << ':' << warning.line << ": warning: " << warning.message
        << '\n';
  }
  return warnings.size();
}

// A source written as its text is made, while its PO file is read: each
// part converted into the code page of its Charset and handed to the file.
class WrittenWhileRead {
 public:
  explicit WrittenWhileRead(FileWriter* writer) : writer_(writer) {}

  // Writes the next part of the text, made with `charset` as known so far.
  void take(std::string_view text, std::string_view charset) {
    handed_ += text.size();
    if (failed_) return;
    if (!encoder_) {
      encoder_.emplace(charset);
      charset_ = charset;
    }
    bytes_.clear();
    failed_ = charset != charset_ || !encoder_->add(text, &bytes_);
    if (!failed_) writer_->write(bytes_);
  }

  // Writes the rest of `source`, the one read, and gives the page it is
  // written in; false where what was written is not its start as written.
  bool finish(const PoSource& source, const CodePage** page) {
    if (failed_ || source.reordered || handed_ > source.text.size()) {
      return false;
    }
    if (!encoder_) {
      encoder_.emplace(source.charset);
      charset_ = source.charset;
    }
    bytes_.clear();
    // The rest, read by the second half's thread, at once on both.
    if (source.charset != charset_ ||
        !encoder_->addLarge(std::string_view(source.text).substr(handed_),
                            &bytes_) ||
        !encoder_->appendedStand()) {
      return false;
    }
    writer_->write(bytes_);
    *page = encoder_->page();
    return true;
  }

 private:
  FileWriter* const writer_;
  std::optional<SourceEncoder> encoder_;
  std::string charset_;
  std::string bytes_;
  std::size_t handed_ = 0;
  bool failed_ = false;
};

}  // namespace

int importPoFiles(const std::vector<PoTarget>& sources,
                  const PoOptions& options, std::ostream& out,
                  std::ostream& err) {
  int status = 0;
  for (const PoTarget& target : sources) {
    const std::string written = besideAs(target.given, ".txt");
    const fs::path path = pathFromBytes(written);
    ReadResult read;
    PoSource source;
    std::optional<CompileResult> result;
    const CodePage* page = nullptr;
    bool streamed = false;
    WriteResult wrote = WriteResult::written();
    // The source is written as it is made, so that the disk's work overlaps
    // the reading; where what was written cannot stand, it is written anew.
    const bool mayWrite = !options.check && (options.force || !isThere(path));
    if (mayWrite) {
      wrote = replaceFileWith(path, [&](FileWriter& writer) {
        WrittenWhileRead stream(&writer);
        result =
            readPoSource(target, PoLayout::kNumberOrder, &source, &read,
                         [&](std::string_view text, std::string_view charset) {
                           stream.take(text, charset);
                         });
        streamed = result->ok() &&
                   !(options.strict && !source.warnings.empty()) &&
                   stream.finish(source, &page);
        if (!streamed) writer.abandon();
      });
    }
    const bool produced = result.has_value();
    if (!produced) {
      result = readPoSource(target, PoLayout::kNumberOrder, &source, &read);
    }
    if (!result->ok()) {
      reportFault(err, target.given, *result);
      status = 1;
      continue;
    }
    const std::size_t warnings =
        printWarnings(err, target.given, source.warnings);
    if (options.strict && warnings != 0) {
      err << target.given << ": not written: " << warnings
          << (warnings == 1 ? " warning" : " warnings") << " under --strict\n";
      status = 1;
      continue;
    }
    if (streamed || (mayWrite && !produced)) {
      if (!wrote) {
        reportNotWritten(err, target.given, path, wrote);
        status = 1;
        continue;
      }
    } else {
      const EncodedSource encoded =
          encodeSource(std::move(source.text), source.charset);
      page = encoded.page;
      if (!options.check && !writeFile(err, target.given, written,
                                       encoded.bytes, options.force)) {
        status = 1;
        continue;
      }
    }
    if (options.verbose) {
      out << written << ": " << source.strings << " strings, written ";
      if (page != nullptr) {
        out << "in " << page->name << " (Charset " << source.charset << ")\n";
      } else {
        out << "as UTF-8\n";
      }
    }
  }
  return status;
}

CompileResult loadPoTable(const fs::path& path, std::string_view given,
                          EntryTable* table, SourceFile* file,
                          std::vector<PoWarning>* warnings) {
  ReadResult read;
  PoSource source;
  CompileResult result = readPoSource({std::string(given), path},
                                      PoLayout::kPoLines, &source, &read);
  if (!result.ok()) return result;
  *warnings = std::move(source.warnings);
  file->path = path;
  file->identity = read.identity;
  file->mark = ByteOrderMark::kNone;
  // Compiled as the source that the import writes would be: converted from
  // UTF-8, or byte for byte where every text is ASCII.
  file->encoding =
      isAscii(source.text) ? SourceEncoding::kEightBit : SourceEncoding::kUtf8;
  ParseResult parsed = parseLanguageSource(std::string_view(source.text));
  if (!parsed.ok()) {
    return CompileResult::failure(std::move(parsed.fault.message),
                                  parsed.fault.line);
  }
  *table = std::move(*parsed.table);
  return CompileResult::success();
}

}  // namespace parlavox
