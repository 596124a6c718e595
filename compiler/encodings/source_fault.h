// What keeps a language source from being read: the fault found in its
// bytes, whether by decoding them or by scanning their lines.

#ifndef PARLAVOX_COMPILER_ENCODINGS_SOURCE_FAULT_H_
#define PARLAVOX_COMPILER_ENCODINGS_SOURCE_FAULT_H_

#include <cstddef>
#include <string>

namespace parlavox {

// A fault in a language source: the message for the translator and the
// 1-based physical line it belongs to (0 when it belongs to no one line).
struct SourceFault {
  std::string message;
  std::size_t line = 0;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_ENCODINGS_SOURCE_FAULT_H_
