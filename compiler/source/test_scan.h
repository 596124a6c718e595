// What the tests of a scan compare: its outcome in one string, and the
// reading of a source in blocks of a given size.

#ifndef PARLAVOX_COMPILER_TEST_SCAN_H_
#define PARLAVOX_COMPILER_TEST_SCAN_H_

#include <cstddef>
#include <string>

#include "compiler/format/source_scanner.h"
#include "compiler/source/source_blocks.h"

namespace parlavox {

// What a scan of a whole source came to, in one comparable string.
inline std::string outcome(const ScanResult& result) {
  switch (result.status) {
    case ScanStatus::kScanned:
      return "scanned " + std::to_string(result.slotCount);
    case ScanStatus::kFault:
      return result.fault.message + " @" + std::to_string(result.fault.line);
    case ScanStatus::kStopped:
      return "stopped";
    case ScanStatus::kUnreadable:
      return "unreadable";
  }
  return {};
}

// A reading in blocks of `size` bytes.
inline ScanReading inBlocksOf(std::size_t size) {
  ScanReading reading;
  reading.blockSize = size;
  return reading;
}

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_TEST_SCAN_H_
