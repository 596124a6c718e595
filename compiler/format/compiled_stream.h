// The compile's consumer of a scan: writes the texts of a source in slot
// order as it reads them. A text whose slot is the next one to write goes
// out at once; one that comes early waits in memory until its turn. A
// source in number order, its Charset line first, so never holds more than
// one text, whatever its size.
//
// The Charset line is written first, but may come last or never. Once the
// texts waiting for it grow large, the stream takes it that there is none
// and writes on; should it come after all, the stream stops and tells its
// value, and the compile reads the source again knowing it from the start.

#ifndef PARLAVOX_COMPILER_COMPILED_STREAM_H_
#define PARLAVOX_COMPILER_COMPILED_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/format/source_scanner.h"

namespace parlavox {

// Where the first ":\\" of `text` starts, or npos. Its backslashes are
// looked for, which few texts hold, rather than its ":", which many do.
inline std::size_t findShielded(std::string_view text) {
  for (std::size_t at = text.find("\\\\", 1); at != std::string_view::npos;
       at = text.find("\\\\", at + 1)) {
    if (text[at - 1] == ':') return at - 1;
  }
  return std::string_view::npos;
}

// Hands `take` the compiled form of one text piece by piece: every ":\\" in
// it as "://", then CR LF.
template <typename Take>
void forEachCompiledPiece(std::string_view text, Take&& take) {
  for (std::size_t at = findShielded(text); at != std::string_view::npos;
       at = findShielded(text)) {
    take(text.substr(0, at + 1));
    take(std::string_view("//"));
    text.remove_prefix(at + 3);
  }
  take(text);
  take(std::string_view("\r\n"));
}

// The step each text takes on its way into the compiled file, in slot
// order; it may change the text's form, and may find that it has none.
class TextOutput {
 public:
  virtual ~TextOutput() = default;

  // Writes `text`, of the next slot, `slot`, which stands on physical
  // `line` of the source (0 for the empty Charset line of a source that has
  // none); false stops the compile.
  virtual bool put(std::uint64_t slot, std::string_view text,
                   std::size_t line) = 0;
};

// Texts that came before their turn, handed back lowest slot first. They
// are packed into large chunks, each with its length and line in front,
// which are given back whenever no text is kept; beside them only their
// slots and places are kept, in blocks that grow without copying.
class EarlyTexts {
 public:
  EarlyTexts() = default;
  EarlyTexts(const EarlyTexts&) = delete;
  EarlyTexts& operator=(const EarlyTexts&) = delete;

  // Keeps a copy of `text` for `slot`, from physical `line`; false when
  // memory ran out.
  bool keep(std::uint64_t slot, std::string_view text, std::size_t line);

  bool empty() const { return falling_.empty() && heap_.empty(); }
  // The bytes of the texts kept.
  std::size_t bytes() const { return bytes_; }
  // The memory they take: their bytes, and what each costs beside them.
  std::size_t memory() const { return memory_; }
  std::uint64_t lowestSlot() const { return lowest().slot; }
  std::string_view lowestText() const;
  std::size_t lowestLine() const;
  void dropLowest();

 private:
  struct Kept {
    std::uint64_t slot;
    const char* record;  // the text's line and length, then its bytes
  };
  static bool lowestOnTop(const Kept& a, const Kept& b) {
    return a.slot > b.slot;
  }

  // Whether the lowest text is the last of falling_, else the top of heap_.
  bool lowestFalls() const {
    return heap_.empty() ||
           (!falling_.empty() && falling_.back().slot < heap_.front().slot);
  }
  const Kept& lowest() const {
    return lowestFalls() ? falling_.back() : heap_.front();
  }
  char* room(std::size_t size);

  // Texts that came each with a lower slot than the one before, as a
  // reversed source brings them, cost no ordering: the lowest is last.
  std::deque<Kept> falling_;
  std::deque<Kept> heap_;  // the others, a heap with the lowest slot on top
  std::vector<std::unique_ptr<char[]>> chunks_;
  std::vector<std::unique_ptr<char[]>> large_;  // one text each
  char* free_ = nullptr;                        // in the last chunk
  std::size_t freeSize_ = 0;
  std::size_t bytes_ = 0;
  std::size_t memory_ = 0;
};

class CompiledStream : public EntrySink {
 public:
  // The most memory that texts kept while no Charset line has come take:
  // many small ones cost more than their bytes.
  static constexpr std::size_t kHeldForCharset = std::size_t{8} << 20;

  // Writes through `out`, which outlives the stream. With `charset`, the
  // Charset value found in an earlier reading, that is written at once and
  // the line itself passed over when it comes.
  explicit CompiledStream(TextOutput* out,
                          std::optional<std::string> charset = std::nullopt,
                          std::size_t heldForCharset = kHeldForCharset);

  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t line) override;

  // After a scan without fault, of `slotCount` slots: writes the texts still
  // kept, after an empty Charset line when the source has none. False when
  // the output stopped the compile.
  bool finish(std::size_t slotCount);

  // Whether the stream stopped the scan because memory ran out.
  bool outOfMemory() const { return outOfMemory_; }

  // The value of a Charset line that came after the stream had taken it
  // that there was none, which stopped the scan.
  const std::optional<std::string>& lateCharset() const { return lateCharset_; }

  // Whether the texts waiting for a Charset line grew too large, and were
  // written after an empty one: a Charset line still to come stops the scan.
  bool charsetTakenAsNone() const { return charsetTakenAsNone_; }

 private:
  bool write(std::string_view text, std::size_t line);
  bool writeKept();

  TextOutput* out_;
  const bool charsetKnown_;
  const std::size_t heldForCharset_;
  std::uint64_t next_ = 0;  // the slot written next
  EarlyTexts early_;
  bool outOfMemory_ = false;
  bool charsetTakenAsNone_ = false;
  std::optional<std::string> lateCharset_;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_COMPILED_STREAM_H_
