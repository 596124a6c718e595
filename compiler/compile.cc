#include "compiler/compile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/languages.h"
#include "compiler/encodings/utf16.h"
#include "compiler/files/file_names.h"
#include "compiler/files/source_append.h"
#include "compiler/files/text_file.h"
#include "compiler/format/compiled_stream.h"
#include "compiler/format/language_source.h"
#include "compiler/messages.h"
#include "compiler/source/charset_fit.h"
#include "compiler/source/compiled_output.h"
#include "compiler/source/decoded_blocks.h"
#include "compiler/source/messages.h"
#include "compiler/source/source_encoding.h"
#include "compiler/source/source_survey.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

}  // namespace

namespace {

// loadLanguage of the opened source file `blocks`, found at `source`.
CompileResult loadOpened(std::string_view name, const fs::path& source,
                         FileBlocks* blocks, EntryTable* table,
                         SourceFile* file) {
  ReadResult read = readAll(blocks);
  // The file may have gone, or been swapped for a pipe or a device, since it
  // was found: only the opened file counts.
  if (read.status == ReadStatus::kNotAFile) {
    return CompileResult::failure(messages::sourceNotFound(name));
  }
  if (read.status != ReadStatus::kRead) {
    return CompileResult::failure(messages::sourceUnreadable(name, read.cause));
  }
  if (read.text.empty()) return CompileResult::failure(messages::sourceEmpty());

  std::optional<ParseResult> parsed;
  try {
    PreparedSource prepared = prepareSource(std::move(read.text));
    // A byte-order mark alone is an empty file, as every editor shows it.
    if (prepared.mark != ByteOrderMark::kNone && prepared.text.empty() &&
        !prepared.fault) {
      return CompileResult::failure(messages::sourceEmpty());
    }
    if (file != nullptr) {
      *file = {source, prepared.encoding, prepared.mark, read.identity};
    }
    if (prepared.fault) {
      return CompileResult::failure(std::move(prepared.fault->message),
                                    prepared.fault->line);
    }
    const QuoteFunction quote = [&](std::string_view bytes) {
      return quotedText(prepared.encoding, prepared.quotePage, bytes);
    };
    parsed = parseLanguageSource(std::move(prepared.text),
                                 std::move(prepared.scanned), quote);
  } catch (const std::bad_alloc&) {
    // A source with more entries than memory holds.
    return CompileResult::failure(messages::sourceUnreadable(name));
  }
  if (!parsed->ok()) {
    return CompileResult::failure(std::move(parsed->fault.message),
                                  parsed->fault.line);
  }
  *table = std::move(*parsed->table);
  return CompileResult::success();
}

}  // namespace

CompileResult loadLanguage(const fs::path& folder, std::string_view name,
                           EntryTable* table, SourceFile* file,
                           std::string_view fileName) {
  if (!languageNameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source =
      findLanguageSource(folder, name, fileName);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  if (const Repair repair = finishCutAppendBeforeReading(*source);
      repair.status == RepairStatus::kFailed) {
    return CompileResult::failure(messages::sourceCutOff(name, repair.cause));
  }
  FileBlocks blocks(*source);
  return loadOpened(name, *source, &blocks, table, file);
}

std::string joinEntries(const EntryTable& table) {
  std::string joined;
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    forEachCompiledPiece(table[slot],
                         [&](std::string_view piece) { joined += piece; });
  }
  // Without the last CR LF.
  if (!joined.empty()) joined.resize(joined.size() - 2);
  return joined;
}

const CodePage* codePageOfTable(const EntryTable& table,
                                SourceEncoding encoding) {
  if (!isUnicode(encoding) || table.size() == 0) return nullptr;
  return codePageNamed(table[0]);
}

namespace {

// What writing the compiled file of `name` came to: a source that changed
// before the new file took its name reads as unreadable.
// The fault `message`, of a character with no place in the code page, on
// `line`, followed by the Charset that would hold every text of `table`
// where one would.
CompileResult withFittingCharset(const EntryTable& table, std::string message,
                                 std::size_t line) {
  if (const std::optional<unsigned> fits = charsetHoldingAll(table)) {
    message += messages::fittingCharset(*fits);
  }
  return CompileResult::failure(std::move(message), line);
}

CompileResult outcomeOfWrite(std::string_view name,
                             const WriteResult& written) {
  if (written.status == WriteStatus::kChanged) {
    return CompileResult::failure(messages::sourceUnreadable(name));
  }
  if (written.status == WriteStatus::kNotAFile) {
    return CompileResult::failure(messages::outputNotAFile(name, written.node));
  }
  if (!written) {
    return CompileResult::failure(
        messages::outputNotWritten(name, written.cause));
  }
  return CompileResult::success();
}

}  // namespace

CompileResult writeLanguage(const fs::path& folder, std::string_view name,
                            const EntryTable& table, const SourceFile* source) {
  if (!languageNameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const SourceEncoding encoding =
      source != nullptr ? source->encoding : SourceEncoding::kEightBit;
  std::function<bool()> unchanged;
  if (source != nullptr && !source->path.empty()) {
    unchanged = [source] {
      return identityOf(source->path) == source->identity;
    };
  }
  std::optional<SourceFault> unmappable;
  std::uint64_t unmappableSlot = 0;
  const WriteResult written = replaceFileWith(
      folder / pathFromBytes(outputFileName(name)),
      [&](FileWriter& writer) {
        CompiledOutput output(encoding, &writer);
        // The line of a text is looked up only for a fault.
        for (std::size_t slot = 0; slot < table.size(); ++slot) {
          output.put(slot, table[slot], 0);
        }
        output.finish();
        unmappable = output.unmappable();
        unmappableSlot = output.unmappableSlot();
      },
      unchanged);
  if (unmappable) {
    return withFittingCharset(
        table, std::move(unmappable->message),
        table.physicalLine(static_cast<std::size_t>(unmappableSlot)));
  }
  return outcomeOfWrite(name, written);
}

CompileResult checkConversion(const EntryTable& table,
                              SourceEncoding encoding) {
  const CodePage* page = codePageOfTable(table, encoding);
  if (page == nullptr) return CompileResult::success();
  const Charset* charset = charsetNamed(table[0]);
  std::string scratch;
  for (std::size_t slot = 1; slot < table.size(); ++slot) {
    scratch.clear();
    const Encoded encoded = encodeFromUtf8(*page, table[slot], &scratch);
    if (encoded.ok) continue;
    return withFittingCharset(
        table,
        messages::unmappableCharacter(encoded.unmappable, slot - 1, page->name,
                                      charset->value),
        table.physicalLine(slot));
  }
  return CompileResult::success();
}

namespace {

// Hands each text to the stream and then to the watch, which keeps no
// texts for a Charset line once the stream has stopped waiting for one.
class WatchedStream : public EntrySink {
 public:
  WatchedStream(CompiledStream* stream, EncodingWatch* watch)
      : stream_(stream), watch_(watch) {}

  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t line) override {
    if (!stream_->take(slot, text, offset, line)) return false;
    if (stream_->charsetTakenAsNone() && !told_) {
      watch_->takeCharsetAsNone();
      told_ = true;
    }
    return watch_->take(slot, text, offset, line);
  }

 private:
  CompiledStream* stream_;
  EncodingWatch* watch_;
  bool told_ = false;
};

// Passes on the blocks of a source as long as they may be UTF-8: the first
// bytes that cannot be end the reading as a failure, before the scanner
// sees the block that holds them.
class GuessedBlocks : public SourceBlocks {
 public:
  GuessedBlocks(SourceBlocks* source, Utf8Guess* guess)
      : source_(source), guess_(guess) {}

  std::uint64_t size() const override { return source_->size(); }
  std::optional<std::size_t> read(std::span<char> into) override {
    const std::optional<std::size_t> got = source_->read(into);
    if (got && !guess_->observe(std::string_view(into.data(), *got))) {
      return std::nullopt;
    }
    return got;
  }
  bool unchanged() override { return source_->unchanged(); }

 private:
  SourceBlocks* source_;
  Utf8Guess* guess_;
};

// Passes on the blocks of a source, and shows each to an encoding watch.
// The blocks may be read on a thread of their own: the watch's bytes and
// its texts are kept apart, and its findings asked for after the reading.
class ObservedBlocks : public SourceBlocks {
 public:
  ObservedBlocks(SourceBlocks* source, EncodingWatch* watch)
      : source_(source), watch_(watch) {}

  std::uint64_t size() const override { return source_->size(); }
  std::optional<std::size_t> read(std::span<char> into) override {
    const std::optional<std::size_t> got = source_->read(into);
    if (got) watch_->observe(std::string_view(into.data(), *got));
    return got;
  }
  bool unchanged() override { return source_->unchanged(); }

 private:
  SourceBlocks* source_;
  EncodingWatch* watch_;
};

// Takes texts and keeps none: a source is then read for its fault alone.
class IgnoredTexts : public EntrySink {
 public:
  bool take(std::size_t, std::string_view, std::uint64_t,
            std::size_t) override {
    return true;
  }
};

// One reading of a source that writes each text into the compiled file as
// soon as its turn comes.
struct StreamedReading {
  SourceBlocks* input = nullptr;
  ScanReading reading;
  SourceEncoding encoding = SourceEncoding::kEightBit;
  // Sees each text as well, where set; its findings go into the report
  // after a scan without fault, with the line of a byte of `input` as
  // `lineAt` gives it.
  EncodingWatch* watch = nullptr;
  std::function<std::size_t(std::uint64_t)> lineAt;
  // Whether any finding keeps the compiled file from being written.
  bool holdBackOnFindings = false;
  // The Charset value, when an earlier reading found it late.
  std::optional<std::string> charset;
};

// After a scan without fault: the watch's findings into `report`, and
// whether they hold the compiled file back.
void reportFindings(const StreamedReading& how, CompileReport* report) {
  if (how.watch == nullptr) return;
  report->findings = how.watch->finish(how.lineAt);
  report->heldBack = how.holdBackOnFindings && !report->findings.empty();
}

// How a streamed reading ended, besides its result.
struct StreamedEnd {
  ScanStatus status = ScanStatus::kScanned;
  // The value of a Charset line that came too late to be written first: the
  // reading ended as a failure, and the source is read again with it.
  std::optional<std::string> lateCharset;
};

// Reads `how.input` into the compiled file `target` of `name`, which takes
// its name only if the source is `unchanged` then.
CompileResult compileStreamed(const fs::path& target, std::string_view name,
                              const StreamedReading& how,
                              const std::function<bool()>& unchanged,
                              CompileReport* report, StreamedEnd* end) {
  ScanResult scanned;
  std::optional<SourceFault> unmappable;
  bool produced = false;
  if (how.watch != nullptr && how.charset) {
    how.watch->expectCharset(*how.charset);
  }
  const WriteResult written = replaceFileWith(
      target,
      [&](FileWriter& writer) {
        produced = true;
        CompiledOutput output(how.encoding, &writer);
        CompiledStream stream(&output, how.charset);
        WatchedStream both(&stream, how.watch);
        EntrySink* const sink =
            how.watch != nullptr ? static_cast<EntrySink*>(&both) : &stream;
        scanned = scanSource(how.input, sink, how.reading);
        if (scanned.ok() && !stream.finish(scanned.slotCount)) {
          scanned.status = ScanStatus::kStopped;
        }
        end->lateCharset = stream.lateCharset();
        output.finish();
        unmappable = output.unmappable();
        if (scanned.ok() && !unmappable) reportFindings(how, report);
        if (!scanned.ok() || unmappable || report->heldBack) writer.abandon();
      },
      unchanged);
  // Without a file to write into, the source is still read for its fault.
  if (!produced) {
    IgnoredTexts ignored;
    scanned = scanSource(
        how.input,
        how.watch != nullptr ? static_cast<EntrySink*>(how.watch) : &ignored,
        how.reading);
    if (scanned.ok()) reportFindings(how, report);
  }
  end->status = scanned.status;
  switch (scanned.status) {
    case ScanStatus::kScanned:
      break;
    case ScanStatus::kFault:
      return CompileResult::failure(std::move(scanned.fault.message),
                                    scanned.fault.line);
    case ScanStatus::kStopped:  // memory for the early texts ran out
    case ScanStatus::kUnreadable:
      return CompileResult::failure(messages::sourceUnreadable(name));
  }
  report->scanned = true;
  report->lineCount = scanned.slotCount - 1;
  if (unmappable) {
    report->unmappable = true;
    return CompileResult::failure(std::move(unmappable->message),
                                  unmappable->line);
  }
  return outcomeOfWrite(name, written);
}

// The failure of a source file that could not be opened as `status` says.
CompileResult unopened(std::string_view name, ReadStatus status,
                       FileCause cause) {
  // The file may have gone, or been swapped for a pipe or a device, since it
  // was found: only the opened file counts.
  if (status == ReadStatus::kNotAFile) {
    return CompileResult::failure(messages::sourceNotFound(name));
  }
  return CompileResult::failure(messages::sourceUnreadable(name, cause));
}

// How a reading takes the source's bytes: as a survey decided, or, before
// any byte beyond ASCII has been seen, as UTF-8 until a byte disproves it.
struct ReadingPlan {
  SourceSurvey survey;
  // The file has no byte-order mark, and no survey has read it.
  bool guess = false;
  // A UTF-16 file that no survey has read to its end: a failure of the
  // reading may be the fault of its encoding, which comes first.
  bool unverified = false;
};

// Reads the opened `file`, from its start, into the compiled file `target`
// of `name` as `plan` says, which takes its name only if the source is
// `unchanged` then. `guess` sees the bytes of a guessing plan.
CompileResult readSource(FileBlocks* file, const fs::path& target,
                         std::string_view name, const ReadingPlan& plan,
                         const std::optional<std::string>& charset,
                         const CompileOptions& options,
                         const std::function<bool()>& unchanged,
                         Utf8Guess* guess, CompileReport* report,
                         StreamedEnd* end) {
  SurveyedText text(file, plan.survey);
  if (!text.rewound()) {
    return CompileResult::failure(messages::sourceUnreadable(name));
  }
  GuessedBlocks guessed(text.text(), guess);
  SourceBlocks* const input =
      plan.guess ? static_cast<SourceBlocks*>(&guessed) : text.text();
  // A guess reads UTF-8: its ASCII texts are checked alike either way.
  const SourceEncoding encoding =
      plan.guess ? SourceEncoding::kUtf8 : plan.survey.encoding;
  // An 8-bit text is the code page's bytes, never UTF-8 throughout; its
  // bytes are looked at for a file that is UTF-8 but for a few.
  EncodingWatch watch(isUnicode(encoding), languageNamed(name));
  ObservedBlocks observed(input, &watch);
  StreamedReading how;
  how.input = input;
  how.encoding = encoding;
  how.charset = charset;
  how.reading.blockSize = options.blockSize;
  how.reading.characters = plan.survey.characters;
  // A guess that fails is read again as surveyed, unless every byte the
  // scan saw was ASCII, which is quoted alike in every encoding.
  if (!plan.guess) {
    how.reading.quote = [encoding,
                         page = plan.survey.quotePage](std::string_view bytes) {
      return quotedText(encoding, page, bytes);
    };
  }
  if (options.checkEncoding) {
    how.input = &observed;
    how.watch = &watch;
    // Asked after the scan, when the file is read no more.
    how.lineAt = [&](std::uint64_t offset) -> std::size_t {
      SurveyedText again(file, plan.survey);
      if (!again.rewound()) return 0;
      return physicalLineIn(again.text(), offset).value_or(0);
    };
    how.holdBackOnFindings = options.holdBackOnFindings;
  }
  return compileStreamed(target, name, how, unchanged, report, end);
}

// The plan of a survey that reads the whole of the opened `file`.
std::optional<ReadingPlan> surveyed(FileBlocks* file, std::size_t blockSize) {
  if (!file->rewind()) return std::nullopt;
  std::optional<SourceSurvey> survey = surveySource(file, blockSize);
  if (!survey || !file->unchanged()) return std::nullopt;
  return ReadingPlan{std::move(*survey)};
}

// `fault`, a character with no place in the code page, followed by the
// Charset that would hold every text of the source, where one would: the
// streamed compile keeps no texts, so the opened file `blocks` is read once
// more, whole, on this path alone.
CompileResult withFittingCharsetOf(std::string_view name,
                                   const fs::path& source, FileBlocks* blocks,
                                   CompileResult fault) {
  EntryTable table;
  SourceFile file;
  if (!blocks->rewind() ||
      !loadOpened(name, source, blocks, &table, &file).ok() ||
      !isUnicode(file.encoding)) {
    return fault;
  }
  return withFittingCharset(table, fault.message(), fault.line());
}

CompileResult compileSource(const fs::path& folder, std::string_view name,
                            const CompileOptions& options,
                            CompileReport* report) {
  if (!languageNameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source =
      findLanguageSource(folder, name, options.sourceFileName);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  if (const Repair repair = finishCutAppendBeforeReading(*source);
      repair.status == RepairStatus::kFailed) {
    return CompileResult::failure(messages::sourceCutOff(name, repair.cause));
  }
  FileBlocks blocks(*source);
  if (blocks.status() != ReadStatus::kRead) {
    return unopened(name, blocks.status(), blocks.cause());
  }
  if (blocks.size() == 0) {
    // Empty only when reading it says so too: some files read as nothing
    // but are unreadable, or say nothing of their size.
    char probe = 0;
    if (blocks.read(std::span<char>(&probe, 1)) != std::size_t{0} ||
        !blocks.unchanged()) {
      return CompileResult::failure(messages::sourceUnreadable(name));
    }
    return CompileResult::failure(messages::sourceEmpty());
  }
  const std::optional<SurveyStart> start = surveyStartOf(&blocks);
  if (!start) return CompileResult::failure(messages::sourceUnreadable(name));
  const SourceSurvey& first = start->survey;
  // A byte-order mark alone is an empty file, as every editor shows it.
  if (first.mark != ByteOrderMark::kNone &&
      blocks.size() == byteOrderMarkSize(first.mark)) {
    return CompileResult::failure(messages::sourceEmpty());
  }
  report->encoding = first.encoding;
  report->mark = first.mark;
  if (first.fault) {
    return CompileResult::failure(first.fault->message, first.fault->line);
  }

  // The source must still be the file opened, unchanged, and still have its
  // name when the compiled file takes its name.
  const auto unchanged = [&] {
    return blocks.unchanged() && blocks.stillAt(*source);
  };
  const fs::path target = folder / pathFromBytes(outputFileName(name));

  // The source is read once where its bytes decide as they come: a mark
  // names the encoding, and a file without one is read as UTF-8 (which
  // ASCII is, as it is every code page's) until a byte disproves it. It is
  // read again where a reading learns what it had to know first: that the
  // bytes are 8-bit, a Charset line that came too late to be written
  // first, or, after a failure, what only the whole file tells.
  ReadingPlan plan{first, first.mark == ByteOrderMark::kNone,
                   first.mark == ByteOrderMark::kUtf16};
  std::optional<std::string> charset;
  for (;;) {
    CompileReport reading;
    reading.encoding = plan.survey.encoding;
    reading.mark = plan.survey.mark;
    Utf8Guess guess;
    StreamedEnd end;
    CompileResult result =
        readSource(&blocks, target, name, plan, charset, options, unchanged,
                   &guess, &reading, &end);
    std::optional<ReadingPlan> next;
    if (plan.guess && guess.disproved() &&
        end.status == ScanStatus::kUnreadable) {
      if (std::optional<SourceSurvey> eightBit = guess.eightBit()) {
        next = ReadingPlan{std::move(*eightBit)};
      } else {
        next = surveyed(&blocks, options.blockSize);
      }
    } else if (end.lateCharset && !charset) {
      charset = std::move(end.lateCharset);
      continue;
    } else if ((plan.guess && guess.beyondAscii() &&
                end.status != ScanStatus::kScanned) ||
               (plan.unverified && !result.ok())) {
      next = surveyed(&blocks, options.blockSize);
    } else {
      if (plan.guess) reading.encoding = guess.encoding();
      *report = std::move(reading);
      if (!report->unmappable) return result;
      return withFittingCharsetOf(name, *source, &blocks, std::move(result));
    }
    if (!next) return CompileResult::failure(messages::sourceUnreadable(name));
    // A Charset line found in another reading of the bytes counts no more.
    charset.reset();
    plan = std::move(*next);
    report->encoding = plan.survey.encoding;
    if (plan.survey.fault) {
      return CompileResult::failure(std::move(plan.survey.fault->message),
                                    plan.survey.fault->line);
    }
  }
}

}  // namespace

CompileResult compileLanguage(const fs::path& folder, std::string_view name,
                              const CompileOptions& options,
                              CompileReport* report) {
  CompileReport unused;
  if (report == nullptr) report = &unused;
  return compileSource(folder, name, options, report);
}

}  // namespace parlavox
