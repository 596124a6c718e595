// The scan of a source read block by block: the scanner fed from
// SourceBlocks, one block read ahead, with the later bytes of double-byte
// characters masked.

#ifndef PARLAVOX_COMPILER_SOURCE_BLOCKS_H_
#define PARLAVOX_COMPILER_SOURCE_BLOCKS_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "compiler/encodings/code_pages.h"
#include "compiler/files/file_blocks.h"
#include "compiler/format/source_scanner.h"

namespace parlavox {

// How scanSource reads a source's bytes.
struct ScanReading {
  // The size of the blocks read.
  std::size_t blockSize = kSourceBlockSize;
  // The double-byte code page an 8-bit source is read in, else nullptr:
  // then the later bytes of its characters never count as marks.
  const CodePage* characters = nullptr;
  // How faults quote the source's bytes; as they are when unset.
  QuoteFunction quote;
};

// Scans `source` into `sink` block by block, and checks at the end that the
// source did not change meanwhile (kUnreadable when it did, or when memory
// for the scan ran out). A source of more than one block is read on a
// thread of its own, one block ahead of the scan: its read() is called
// from that one thread, in order, and unchanged() once that thread is done.
ScanResult scanSource(SourceBlocks* source, EntrySink* sink,
                      const ScanReading& reading = {});

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_BLOCKS_H_
