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

#include "compiler/charsets.h"
#include "compiler/code_pages.h"
#include "compiler/compiled_stream.h"
#include "compiler/language_source.h"
#include "compiler/messages.h"
#include "compiler/source_encoding.h"
#include "compiler/text_file.h"
#include "compiler/utf16.h"

namespace parlavox {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// Names are UTF-8 here; other bytes name no file.
bool hasFileName(std::string_view name) {
  return utf16FromUtf8(name).has_value();
}
#else
// Every byte string is a file name here.
bool hasFileName(std::string_view) { return true; }
#endif

// Characters that would take the file name out of the folder or that some
// file system does not allow.
bool nameAllowed(std::string_view name) {
  constexpr std::string_view kForbidden = "\\/:*?\"<>|";
  return std::none_of(name.begin(), name.end(),
                      [&](char c) {
                        const auto byte = static_cast<unsigned char>(c);
                        return byte < 0x20 || byte == 0x7F ||
                               kForbidden.find(c) != std::string_view::npos;
                      }) &&
         hasFileName(name);
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// The source file: the exact name if a plain file has it, else the first
// plain file, in byte order, whose name matches it without regard to case.
std::optional<fs::path> findSource(const fs::path& folder,
                                   std::string_view name) {
  const std::string wanted = sourceFileName(name);
  std::error_code error;
  const fs::path exact = folder / pathFromBytes(wanted);
  if (fs::is_regular_file(exact, error)) return exact;

  std::optional<std::string> best;
  for (fs::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::string candidate = bytesFromPath(it->path().filename());
    if (equalIgnoringAsciiCase(candidate, wanted) &&
        (!best || candidate < *best)) {
      best = std::move(candidate);
    }
  }
  if (!best) return std::nullopt;
  return folder / pathFromBytes(*best);
}

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::string_view kShielded = ":\\\\";

// The first ":\\" of `text` from `at`, one that is found there, that starts
// a character of the double-byte `page`: a ":" can be the second byte of a
// character there. Texts start at a character.
std::size_t shieldedInCharacters(std::string_view text, std::size_t at,
                                 const CodePage& page) {
  std::size_t character = 0;
  for (; at != std::string_view::npos; at = text.find(kShielded, at + 1)) {
    while (character < at) {
      const auto byte = static_cast<unsigned char>(text[character]);
      character += isLeadByte(page, byte) ? 2 : 1;
    }
    if (character == at) return at;
  }
  return at;
}

// Where the first ":\\" of `text` starts, or npos; under a double-byte
// `page` (else nullptr) only one that starts a character counts.
inline std::size_t findShielded(std::string_view text, const CodePage* page) {
  const std::size_t at = text.find(kShielded);
  if (page == nullptr || at == std::string_view::npos) return at;
  return shieldedInCharacters(text, at, *page);
}

// Hands `take` the compiled file piece by piece, with the slot each piece
// belongs to: each slot's text, every ":\\" in it as "://", and CR LF after
// it. A ":\\" never spans two slots, as no text holds a line end, so this is
// one left-to-right pass over the joined text. `characters` is the
// double-byte code page of an 8-bit source, else nullptr. Stops where `take`
// returns false.
template <typename Take>
void forEachCompiledPiece(const EntryTable& table, const CodePage* characters,
                          Take&& take) {
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    std::string_view text = table[slot];
    for (std::size_t at = findShielded(text, characters);
         at != std::string_view::npos; at = findShielded(text, characters)) {
      if (!take(slot, text.substr(0, at + 1)) ||
          !take(slot, std::string_view("//"))) {
        return;
      }
      text.remove_prefix(at + kShielded.size());
    }
    if (!take(slot, text) || !take(slot, kLineEnd)) return;
  }
}

// The double-byte code page an 8-bit `table` is read in, else nullptr.
const CodePage* doubleBytePageOf(const EntryTable& table,
                                 SourceEncoding encoding) {
  if (isUnicode(encoding) || table.size() == 0) return nullptr;
  const CodePage* page = codePageNamed(table[0]);
  return page != nullptr && page->doubleByte ? page : nullptr;
}

}  // namespace

std::string sourceFileName(std::string_view name) {
  return "lang" + std::string(name) + ".txt";
}

std::string outputFileName(std::string_view name) {
  return "Lang" + std::string(name) + ".lng";
}

std::optional<std::string> languageNameOf(std::string_view fileName) {
  constexpr std::string_view kPrefix = "lang";
  constexpr std::string_view kSuffix = ".txt";
  if (fileName.size() < kPrefix.size() + kSuffix.size() ||
      !equalIgnoringAsciiCase(fileName.substr(0, kPrefix.size()), kPrefix) ||
      !equalIgnoringAsciiCase(fileName.substr(fileName.size() - kSuffix.size()),
                              kSuffix)) {
    return std::nullopt;
  }
  return std::string(fileName.substr(
      kPrefix.size(), fileName.size() - kPrefix.size() - kSuffix.size()));
}

#ifdef _WIN32
fs::path pathFromBytes(std::string_view bytes) {
  // Names are checked before they get here; anything else is shown as
  // U+FFFD, which opens no file named by other bytes.
  const std::u16string wide =
      utf16FromUtf8(bytes).value_or(std::u16string(1, u'\uFFFD'));
  return fs::path(std::wstring(wide.begin(), wide.end()));
}

std::string bytesFromPath(const fs::path& path) {
  const std::wstring& wide = path.native();
  return utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#else
fs::path pathFromBytes(std::string_view bytes) {
  return fs::path(std::string(bytes));
}

std::string bytesFromPath(const fs::path& path) { return path.native(); }
#endif

std::optional<fs::path> findLanguageSource(const fs::path& folder,
                                           std::string_view name) {
  if (!nameAllowed(name)) return std::nullopt;
  return findSource(folder, name);
}

CompileResult loadLanguage(const fs::path& folder, std::string_view name,
                           EntryTable* table, SourceFile* file) {
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source = findSource(folder, name);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  ReadResult read = readFile(*source);
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
    if (file != nullptr) {
      *file = {*source, prepared.encoding, prepared.mark, read.identity};
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

std::string joinEntries(const EntryTable& table) {
  std::string joined;
  forEachCompiledPiece(table, nullptr,
                       [&](std::size_t, std::string_view piece) {
                         joined += piece;
                         return true;
                       });
  if (!joined.empty()) joined.resize(joined.size() - kLineEnd.size());
  return joined;
}

namespace {

// Converts the UTF-8 pieces of a compiled file into `page` and hands them
// to a writer. Pieces are converted many at a time, so that the cost of a
// conversion call is not paid for each short text.
class Converter {
 public:
  Converter(const CodePage& page, FileWriter* writer)
      : page_(page), writer_(writer) {}

  // Takes `piece` of `slot`; false once a character had no place.
  bool add(std::size_t slot, std::string_view piece) {
    pending_ += piece;
    pieceEnds_.push_back({pending_.size(), slot});
    return pending_.size() < kBatchSize || convert();
  }

  // Converts what is left.
  void finish() {
    if (!unmappable_) convert();
  }

  // The first character that had no place in the page, if any.
  std::optional<char32_t> unmappable() const { return unmappable_; }
  std::size_t unmappableSlot() const { return unmappableSlot_; }

 private:
  static constexpr std::size_t kBatchSize = std::size_t{64} * 1024;

  struct PieceEnd {
    std::size_t end;  // in pending_
    std::size_t slot;
  };

  bool convert() {
    encoded_.clear();
    const Encoded result = encodeFromUtf8(page_, pending_, &encoded_);
    if (!result.ok) {
      unmappable_ = result.unmappable;
      unmappableSlot_ =
          std::upper_bound(pieceEnds_.begin(), pieceEnds_.end(),
                           result.unmappableOffset,
                           [](std::size_t offset, const PieceEnd& piece) {
                             return offset < piece.end;
                           })
              ->slot;
      return false;
    }
    writer_->write(encoded_);
    pending_.clear();
    pieceEnds_.clear();
    return true;
  }

  const CodePage& page_;
  FileWriter* writer_;
  std::string pending_;
  std::vector<PieceEnd> pieceEnds_;
  std::string encoded_;
  std::optional<char32_t> unmappable_;
  std::size_t unmappableSlot_ = 0;
};

}  // namespace

const CodePage* codePageOfTable(const EntryTable& table,
                                SourceEncoding encoding) {
  if (!isUnicode(encoding) || table.size() == 0) return nullptr;
  return codePageNamed(table[0]);
}

namespace {

// What writing the compiled file of `name` came to: a source that changed
// before the new file took its name reads as unreadable.
CompileResult outcomeOfWrite(std::string_view name,
                             const WriteResult& written) {
  if (written.status == WriteStatus::kChanged) {
    return CompileResult::failure(messages::sourceUnreadable(name));
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
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const SourceEncoding encoding =
      source != nullptr ? source->encoding : SourceEncoding::kEightBit;
  const CodePage* page = codePageOfTable(table, encoding);
  std::function<bool()> unchanged;
  if (source != nullptr && !source->path.empty()) {
    unchanged = [source] {
      return identityOf(source->path) == source->identity;
    };
  }
  std::optional<CompileResult> unmappable;
  const WriteResult written = replaceFileWith(
      folder / pathFromBytes(outputFileName(name)),
      [&](FileWriter& writer) {
        if (page == nullptr) {
          forEachCompiledPiece(table, doubleBytePageOf(table, encoding),
                               [&](std::size_t, std::string_view piece) {
                                 writer.write(piece);
                                 return true;
                               });
          return;
        }
        Converter converter(*page, &writer);
        forEachCompiledPiece(table, nullptr,
                             [&](std::size_t slot, std::string_view piece) {
                               return converter.add(slot, piece);
                             });
        converter.finish();
        if (converter.unmappable()) {
          const std::size_t slot = converter.unmappableSlot();
          unmappable = CompileResult::failure(
              messages::unmappableCharacter(*converter.unmappable(), slot - 1,
                                            page->name,
                                            charsetNamed(table[0])->value),
              table.physicalLine(slot));
          writer.abandon();
        }
      },
      unchanged);
  if (unmappable) return std::move(*unmappable);
  return outcomeOfWrite(name, written);
}

namespace {

// Writes each compiled text into the file being written. A failed write is
// remembered by the writer, and the scan goes on to find any fault of the
// source, which is what the translator must hear of first.
class FileTextOutput : public TextOutput {
 public:
  explicit FileTextOutput(FileWriter* writer) : writer_(writer) {}

  bool put(std::string_view text) override {
    parlavox::forEachCompiledPiece(
        text, [&](std::string_view piece) { writer_->write(piece); });
    return true;
  }

 private:
  FileWriter* writer_;
};

// Hands each text to two sinks.
class BothSinks : public EntrySink {
 public:
  BothSinks(EntrySink* first, EntrySink* second)
      : first_(first), second_(second) {}

  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t line) override {
    return first_->take(slot, text, offset, line) &&
           second_->take(slot, text, offset, line);
  }

 private:
  EntrySink* first_;
  EntrySink* second_;
};

// Passes on the blocks of a source as long as they are ASCII: the first
// byte beyond ASCII ends the reading as a failure, before the scanner sees
// the block that holds it.
class AsciiBlocks : public SourceBlocks {
 public:
  explicit AsciiBlocks(SourceBlocks* source) : source_(source) {}

  // Whether the reading ended at a byte beyond ASCII.
  bool beyondAscii() const { return beyondAscii_; }

  std::uint64_t size() const override { return source_->size(); }
  std::optional<std::size_t> read(std::span<char> into) override {
    const std::optional<std::size_t> got = source_->read(into);
    if (!got || ascii(std::string_view(into.data(), *got))) return got;
    beyondAscii_ = true;
    return std::nullopt;
  }
  bool unchanged() override { return source_->unchanged(); }

 private:
  static bool ascii(std::string_view bytes) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::uint64_t seen = 0;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes.data() + at, 8);
      seen |= word;
    }
    for (; at < bytes.size(); ++at) {
      seen |= static_cast<unsigned char>(bytes[at]);
    }
    return (seen & kHighBits) == 0;
  }

  SourceBlocks* source_;
  bool beyondAscii_ = false;
};

// The physical line of byte `offset` of the file at `path`, read again:
// needed only for a finding, and then mostly near the file's start.
std::size_t lineInFile(const fs::path& path, std::uint64_t offset) {
  FileBlocks file(path);
  std::string start;
  std::string block(static_cast<std::size_t>(
                        std::min<std::uint64_t>(offset + 1, kSourceBlockSize)),
                    '\0');
  while (start.size() <= offset) {
    const std::optional<std::size_t> got = file.read(block);
    if (!got || *got == 0) break;
    start.append(block, 0, *got);
  }
  return physicalLineAt(start, static_cast<std::size_t>(offset));
}

// loadLanguage, then writeLanguage.
CompileResult compileFromTable(const fs::path& folder, std::string_view name,
                               CompileReport* report) {
  EntryTable table;
  SourceFile source;
  CompileResult loaded = loadLanguage(folder, name, &table, &source);
  if (!loaded.ok()) return loaded;
  report->scanned = true;
  report->lineCount = table.lineCount();
  return writeLanguage(folder, name, table, &source);
}

}  // namespace

CompileResult compileLanguage(const fs::path& folder, std::string_view name,
                              const CompileOptions& options,
                              CompileReport* report) {
  CompileReport unused;
  if (report == nullptr) report = &unused;
  if (!nameAllowed(name)) {
    return CompileResult::failure(messages::nameNotAllowed());
  }
  const std::optional<fs::path> source = findSource(folder, name);
  if (!source) return CompileResult::failure(messages::sourceNotFound(name));
  FileBlocks blocks(*source);
  // The file may have gone, or been swapped for a pipe or a device, since it
  // was found: only the opened file counts.
  if (blocks.status() == ReadStatus::kNotAFile) {
    return CompileResult::failure(messages::sourceNotFound(name));
  }
  if (blocks.status() != ReadStatus::kRead) {
    return CompileResult::failure(
        messages::sourceUnreadable(name, blocks.cause()));
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

  // The source must still be this file, unchanged, when the compiled file
  // takes its name.
  const std::optional<FileIdentity> identity = identityOf(*source);
  const auto unchanged = [&] {
    return identity.has_value() && identityOf(*source) == identity;
  };

  // Bytes beyond ASCII are read in the code page the source names, or as
  // Unicode: such a source is read whole instead. What came before them
  // reads alike in every encoding, so a fault there is the source's first.
  AsciiBlocks ascii(&blocks);
  // ASCII is never UTF-8 nor a byte a code page lacks: the encoding check
  // needs the texts alone, not the bytes around them.
  EncodingWatch watch;
  SourceBlocks* const input = &ascii;
  auto findings = [&] {
    if (options.checkEncoding) {
      report->findings = watch.finish(
          [&](std::uint64_t offset) { return lineInFile(*source, offset); });
    }
    report->heldBack = options.holdBackOnFindings && !report->findings.empty();
  };

  ScanReading reading;
  reading.blockSize = options.blockSize;
  ScanResult scanned;
  bool produced = false;
  const WriteResult written = replaceFileWith(
      folder / pathFromBytes(outputFileName(name)),
      [&](FileWriter& writer) {
        produced = true;
        FileTextOutput output(&writer);
        CompiledStream stream(&output);
        BothSinks both(&stream, &watch);
        EntrySink* const sink =
            options.checkEncoding ? static_cast<EntrySink*>(&both) : &stream;
        scanned = scanSource(input, sink, reading);
        if (scanned.ok() && !stream.finish(scanned.slotCount)) {
          scanned.status = ScanStatus::kStopped;
        }
        if (scanned.ok()) findings();
        if (!scanned.ok() || report->heldBack) writer.abandon();
      },
      unchanged);
  // Without a file to write into, the source is still read for its fault.
  if (!produced) {
    scanned = scanSource(input, &watch, reading);
    if (scanned.ok()) findings();
  }

  if (ascii.beyondAscii()) {
    if (options.checkEncoding) {
      report->needsTable = true;
      return CompileResult::success();
    }
    return compileFromTable(folder, name, report);
  }
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
  return outcomeOfWrite(name, written);
}

}  // namespace parlavox
