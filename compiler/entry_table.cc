#include "compiler/entry_table.h"

#include <algorithm>

namespace parlavox {

std::size_t EntryTable::physicalLine(std::size_t slot) const {
  const Span& span = slots_[slot];
  if (span.length == 0) return 0;
  return physicalLineAt(source_, span.offset);
}

std::size_t physicalLineAt(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++lineEnds;
    } else if (text[i] == '\r' &&
               (i + 1 >= text.size() || text[i + 1] != '\n')) {
      ++lineEnds;
    }
  }
  return lineEnds + 1;
}

}  // namespace parlavox
