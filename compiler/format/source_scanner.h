// The format layer, compiler/format/: how a language source and a compiled
// file are written. The scanner of numbered lines, the table of a whole
// source, and the stream that puts texts in slot order. It may use the files
// layer (for the bytes a table keeps), the encodings layer and the standard
// library; it opens no file.
//
// The scanner of a language source: takes the source's bytes in blocks of
// any size, splits them into pieces at line breaks, reads each piece as
// "number | text // comment" and checks the numbering, handing every text
// to an EntrySink the moment it is read. One scanner serves every way of
// reading a source: the table of a whole source in memory, and the compile
// that writes each text while the next block is still on the disk.
//
// Line ends (CR LF, lone CR, lone LF) and "^" all break lines. Up to two
// spaces after each line break are dropped, and runs of up to 128 breaks
// count as one. Lines without a "|", or starting with it, are passed over.
// The scan stops at the first fault, in source order; at the end it reports
// the lowest line number that has no text.

#ifndef PARLAVOX_COMPILER_SOURCE_SCANNER_H_
#define PARLAVOX_COMPILER_SOURCE_SCANNER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "compiler/encodings/source_fault.h"

namespace parlavox {

// Turns bytes of a source into the text a fault message quotes them as.
using QuoteFunction = std::function<std::string(std::string_view)>;

// Takes the texts of a source as the scanner reads them, in source order.
class EntrySink {
 public:
  virtual ~EntrySink() = default;

  // Takes the text of `slot` (slot 0 is the Charset value, slot n + 1 line
  // number n): never empty, never a slot taken before. It stands at byte
  // `offset` of the source, on 1-based physical `line`, and is valid only
  // during the call. False stops the scan: the sink could not keep it.
  virtual bool take(std::size_t slot, std::string_view text,
                    std::uint64_t offset, std::size_t line) = 0;
};

// How a scan ended.
enum class ScanStatus {
  kScanned,     // every number from 0 to the highest has a text
  kFault,       // the source has a fault
  kStopped,     // the sink stopped the scan; it knows why
  kUnreadable,  // the source could not be read to its end unchanged
};

struct ScanResult {
  ScanStatus status = ScanStatus::kScanned;
  SourceFault fault;          // kFault
  std::size_t slotCount = 0;  // kScanned: the Charset slot and 0..highest

  bool ok() const { return status == ScanStatus::kScanned; }
};

class SourceScanner {
 public:
  // Scans a source whose texts go to `sink`. A source of `size` bytes holds
  // fewer entries than that, so numbers from `size` up can never all be
  // present; they are kept apart from the others. Any bound on the number
  // of entries serves as `size`; a tighter one saves memory.
  // Faults quote the source's bytes through `quote`, where it is set.
  SourceScanner(EntrySink* sink, std::uint64_t size, QuoteFunction quote = {});

  // Scans the next bytes of the source. False once the scan has stopped,
  // after which the rest of the source does not matter. Throws
  // std::bad_alloc when memory runs out, as does finish.
  bool feed(std::string_view block) { return feed(block, block); }

  // The same for a source scanned through a copy: the scan looks at
  // `scanned`, while texts and faults take the bytes at the same offsets of
  // `original`, of the same size. In a copy where the later bytes of each
  // longer character read as letters, their "|", "^" or "\\" never count.
  bool feed(std::string_view scanned, std::string_view original);

  // Ends the source: scans its last piece and checks that no number is
  // missing.
  ScanResult finish();

 private:
  enum class Where { kPiece, kBreaks };

  // Bytes kept in one block that grows where it lies when the system can
  // move large blocks without copying them, so that a piece as long as the
  // source does not stand twice in memory while it grows.
  class Bytes {
   public:
    Bytes() = default;
    ~Bytes();
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;

    // Throws std::bad_alloc when there is no room.
    void append(std::string_view bytes);
    void clear() { size_ = 0; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }

   private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
  };

  bool takePiece(std::string_view piece, std::string_view original,
                 std::uint64_t offset);
  std::string quoted(std::string_view part, std::string_view piece,
                     std::string_view original) const;
  bool fail(std::string message);
  std::size_t scanBreaks(std::string_view block, std::size_t at);
  bool markFilled(std::uint64_t slot, bool empty);
  void complete();

  EntrySink* sink_;
  const std::uint64_t numberRoom_;
  const QuoteFunction quote_;
  ScanResult result_;
  bool stopped_ = false;

  // Where in the source the scan stands.
  Where where_ = Where::kPiece;  // the first piece keeps its leading spaces
  std::uint64_t fed_ = 0;        // bytes fed before the current block
  std::uint64_t pieceOffset_ = 0;
  std::uint64_t pieceIndex_ = 0;
  Bytes pieceStart_;          // the part of a piece that came in earlier blocks
  Bytes originalStart_;       // the same of the original bytes
  bool copied_ = false;       // whether the scan looks at a copy
  std::size_t lineEnds_ = 0;  // before the current byte
  bool crPending_ = false;    // a CR whose line end depends on the next byte
  std::uint64_t breaks_ = 0;  // in the current run of breaks
  int spacesLeft_ = 0;        // spaces the current run may still drop

  // The numbering: one bit per slot below numberRoom_ that holds a text.
  std::vector<std::uint64_t> filled_;
  std::uint64_t highestSlot_ = 1;  // the highest line number starts at 0
  bool beyondRoom_ = false;
  // Numbers from numberRoom_ up that hold a text, as digits without zeros
  // in front.
  std::unordered_set<std::string> beyondRoomFilled_;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_SCANNER_H_
