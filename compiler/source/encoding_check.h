// Checks of a language source's bytes against the character set its
// Charset line names: the editor mistakes that leave a translation
// unreadable in the application although it compiles. No file access, no
// output.

#ifndef PARLAVOX_COMPILER_ENCODING_CHECK_H_
#define PARLAVOX_COMPILER_ENCODING_CHECK_H_

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/languages.h"
#include "compiler/format/entry_table.h"
#include "compiler/format/source_scanner.h"

namespace parlavox {

struct EncodingFinding {
  enum class Kind {
    kUnknownCharset,    // the Charset value names no character set
    kUtf8Text,          // the file is UTF-8, the character set is not
    kUndefinedByte,     // a text holds a byte the code page does not define
    kControlCharacter,  // a text holds a byte 0x00 to 0x1F other than tab
    kLanguageCharset,   // the Charset does not show the language's letters
    kUtf8ButForBytes,   // the file is UTF-8 but for a few bytes, so 8-bit
  };

  Kind kind;
  std::size_t physicalLine;  // 1-based
  // The character set the source was checked against; nullptr for
  // kUnknownCharset.
  const Charset* charset = nullptr;
  // The Charset value as written; empty when the source has no Charset line.
  std::string charsetText;
  // kUndefinedByte and kControlCharacter: the first such byte on the line;
  // kUtf8ButForBytes: the first byte of the file that is not UTF-8.
  unsigned char byte = 0;
  // kLanguageCharset: the language the source is named for.
  const Language* language = nullptr;
};

// How the source of a table was read, for checkEncoding.
enum class TableText {
  kJudgedByBytes,  // not known: UTF-8 is told from the bytes
  kBytes,          // an 8-bit source, written as read
  kUtf8AsRead,     // a UTF-8 source written as read, in no code page
  kConverted,      // a Unicode source written in its Charset's code page
};

// The findings for `table`, the table parsed from a source: the texts the
// compiled file carries are checked, and for UTF-8 the source's bytes (an
// 8-bit source's too, for a file that is UTF-8 but for a few of them). A
// source without a Charset line is checked as Charset 0. In line order, at
// most one finding of a kind per line. A converted table has texts in
// UTF-8, so only its control characters and its Charset value are checked.
// For a source of `language`, the Charset is checked against the letters
// of the language too (on the Charset line; line 0 when there is none).
std::vector<EncodingFinding> checkEncoding(
    const EntryTable& table, TableText text = TableText::kJudgedByBytes,
    const Language* language = nullptr);

// The finding of a source of `language` whose Charset value is written as
// `charsetText` (empty: no Charset line) on `line`, where that Charset does
// not show the language's letters.
std::optional<EncodingFinding> checkLanguageCharset(
    const Language& language, std::string_view charsetText, std::size_t line);

// The offset of the first multi-byte sequence when `bytes` is well-formed
// UTF-8 throughout (no overlong forms, no surrogates, nothing beyond
// U+10FFFF) and holds one; nothing otherwise.
std::optional<std::size_t> firstUtf8Sequence(std::string_view bytes);

// Whether no byte of `bytes` is above 0x7F.
bool isAscii(std::string_view bytes);

// The same as firstUtf8Sequence for bytes that come block by block.
class Utf8Watch {
 public:
  // Sees the next bytes, in order.
  void observe(std::string_view bytes);

  // The offset of the first multi-byte sequence when the bytes so far are
  // well-formed UTF-8 and hold one; nothing otherwise.
  std::optional<std::uint64_t> firstSequence() const;

  // Whether no byte so far was above 0x7F.
  bool ascii() const { return !firstSequence_.has_value(); }

  // Whether the bytes so far may still turn out to be UTF-8.
  bool mayBeUtf8() const { return maybeUtf8_; }

 private:
  // Whether the bytes so far may be UTF-8: well-formed, with the start of
  // a sequence that the next block completes in carry_.
  bool maybeUtf8_ = true;
  std::string carry_;
  // Set at the first byte above 0x7F.
  std::optional<std::uint64_t> firstSequence_;
  std::uint64_t observed_ = 0;
};

// The bytes beyond ASCII of a source that is not UTF-8 throughout, counted
// as they come: how many well-formed multi-byte sequences, and how many
// bytes beyond ASCII that belong to none.
class Utf8Tally {
 public:
  // Sees the next bytes, in order.
  void observe(std::string_view bytes);

  // After the last bytes: a sequence they cut short is bytes of none.
  void finish();

  std::uint64_t sequences() const { return sequences_; }
  std::uint64_t strays() const { return strays_; }
  // The offset of the first byte that belongs to no sequence.
  std::optional<std::uint64_t> firstStray() const { return firstStray_; }
  unsigned char firstStrayByte() const { return firstStrayByte_; }

  // Whether the bytes were meant as UTF-8, all but a few pasted from an
  // 8-bit text: see the rule in encoding_check.cc.
  bool mostlyUtf8() const;

 private:
  // Counts the bytes of `bytes` (byte 0 at offset `base`) from `at` on, up
  // to a sequence that starts before `end` and that the bytes after it may
  // complete; where the counting stopped.
  std::size_t count(std::string_view bytes, std::size_t at, std::size_t end,
                    std::uint64_t base, bool last);
  void stray(std::uint64_t offset, unsigned char byte);

  std::string carry_;  // a sequence begun at the end of the last bytes
  std::uint64_t observed_ = 0;
  std::uint64_t sequences_ = 0;
  std::uint64_t strays_ = 0;
  std::optional<std::uint64_t> firstStray_;
  unsigned char firstStrayByte_ = 0;
};

// The tally of the whole of `bytes`.
Utf8Tally tallyUtf8(std::string_view bytes);

// The same check made while a source is scanned, for a compile that keeps
// no table: it sees the source's bytes as they are read and each text as
// the scanner hands it on. Only the texts that come before the Charset line
// leave a trace in memory, and only where they hold a byte above 0x7F.
class EncodingWatch : public EntrySink {
 public:
  // A check of texts that are bytes as read (kJudgedByBytes, or kBytes;
  // without the bytes observed, no file is found to be UTF-8 throughout or
  // nearly), or the UTF-8 of a Unicode source: converted where the Charset
  // names a code page, else written as read; of a source of `language`,
  // where known.
  explicit EncodingWatch(bool unicode = false,
                         const Language* language = nullptr)
      : unicode_(unicode), language_(language) {}

  // Sees the next bytes of the source, in order: those the scanner reads,
  // which for a Unicode source is its text as UTF-8. It may be called on
  // another thread than take(), and is cheap once the bytes cannot matter.
  void observe(std::string_view bytes) {
    if (!bytesMatter_.load(std::memory_order_relaxed)) return;
    utf8_.observe(bytes);
    // The bytes of a Unicode source are its characters.
    if (!unicode_) tally_.observe(bytes);
  }

  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t line) override;

  // The Charset value that an earlier reading found late: the texts are
  // checked against it as they come instead of waiting for its line, which
  // still tells its place.
  void expectCharset(std::string_view text);

  // The compile wrote on as if the source had no Charset line: the texts so
  // far and from now on are checked as Charset 0, as finish() would, and
  // none waits any longer. A Charset line still to come makes the compile
  // read the source again, so the checks made here count for nothing then.
  void takeCharsetAsNone();

  // After the whole source: what checkEncoding finds in its table.
  // `lineAt` gives the 1-based physical line of a byte of the source.
  std::vector<EncodingFinding> finish(
      const std::function<std::size_t(std::uint64_t)>& lineAt);

 private:
  // A finding with the slot it comes from, to order texts on one line.
  struct Found {
    EncodingFinding::Kind kind;
    std::size_t line;
    std::size_t slot;
    unsigned char byte;
  };

  void checkUndefined(std::size_t slot, std::size_t line,
                      std::string_view highBytes);
  // Checks the texts kept for the Charset line against charset_, which
  // every text to come is checked against at once.
  void checkEarly();
  // Checks a text that comes once charset_ is decided, in one pass.
  void checkDecided(std::size_t slot, std::size_t line, std::string_view text);

  const bool unicode_;
  const Language* const language_;
  // False once texts are known to be converted: their bytes tell nothing
  // of how the file was saved.
  std::atomic<bool> bytesMatter_{true};
  // The Charset value, once its slot was seen.
  std::optional<std::string> charsetText_;
  std::size_t charsetLine_ = 0;
  const Charset* charset_ = nullptr;
  // Whether charset_ is the one texts are checked against as they come.
  bool charsetDecided_ = false;
  // The texts seen before the Charset value was known that hold a byte
  // above 0x7F, packed one after another, as every text may come before
  // it: slot, line, and the count of such bytes, each once and in order,
  // then those bytes.
  std::string early_;
  std::vector<Found> found_;
  // Once charset_ is decided: what a text is found for by each of its
  // bytes.
  static constexpr unsigned kControlFound = 1;
  static constexpr unsigned kUndefinedFound = 2;
  std::array<unsigned char, 256> finds_{};
  bool undefinedMatter_ = false;
  // Where they matter and are few, the undefined bytes.
  std::string fewUndefined_;
  Utf8Watch utf8_;
  Utf8Tally tally_;
};

// A byte-order mark at the start of a file.
enum class ByteOrderMark { kNone, kUtf8, kUtf16 };

// The byte-order mark `bytes` starts with, if any.
ByteOrderMark byteOrderMarkOf(std::string_view bytes);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_ENCODING_CHECK_H_
