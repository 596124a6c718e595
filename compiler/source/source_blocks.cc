#include "compiler/source/source_blocks.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

#include "compiler/files/read_ahead.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

ScanResult scanSource(SourceBlocks* source, EntrySink* sink,
                      const ScanReading& reading) {
  ScanResult unreadable;
  unreadable.status = ScanStatus::kUnreadable;
  const std::size_t blockSize = reading.blockSize;
  try {
    // A source of one block leaves nothing to read while it is scanned.
    ReadAhead blocks(source, blockSize, source->size() > blockSize);
    std::unique_ptr<char[]> masked;
    std::optional<TrailMask> mask;
    if (reading.characters != nullptr) {
      masked.reset(new char[blockSize]);
      mask.emplace(*reading.characters);
    }
    SourceScanner scanner(sink, source->size(), reading.quote);
    for (;;) {
      const std::optional<std::string_view> block = blocks.next();
      if (!block) return unreadable;
      if (block->empty()) break;
      bool going = false;
      if (mask) {
        mask->mask(*block, masked.get());
        going =
            scanner.feed(std::string_view(masked.get(), block->size()), *block);
      } else {
        going = scanner.feed(*block);
      }
      if (!going) break;
    }
    blocks.stop();
    ScanResult result = scanner.finish();
    // A source that changed while it was read is unreadable, whatever its
    // bytes seemed to say.
    if (!source->unchanged()) return unreadable;
    return result;
  } catch (const std::bad_alloc&) {
    // A piece, or the numbering, larger than memory.
    return unreadable;
  }
}

}  // namespace parlavox
