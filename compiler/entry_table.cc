#include "compiler/entry_table.h"

#include <algorithm>
#include <numeric>

namespace parlavox {

namespace {

// Counts line ends forward through `text`, for offsets in ascending order.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}

  std::size_t lineAt(std::size_t offset) {
    offset = std::min(offset, text_.size());
    for (; at_ < offset; ++at_) {
      // A CR counts where no LF follows it to finish the line end.
      const bool endsLine = text_[at_] == '\n' ||
                            (text_[at_] == '\r' && (at_ + 1 >= text_.size() ||
                                                    text_[at_ + 1] != '\n'));
      if (endsLine) ++lineEnds_;
    }
    return lineEnds_ + 1;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t lineEnds_ = 0;
};

}  // namespace

std::size_t EntryTable::physicalLine(std::size_t slot) const {
  return physicalLines({slot}).front();
}

std::vector<std::size_t> EntryTable::physicalLines(
    const std::vector<std::size_t>& slots) const {
  std::vector<std::size_t> order(slots.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return slots_[slots[a]].offset < slots_[slots[b]].offset;
  });
  std::vector<std::size_t> lines(slots.size(), 0);
  LineCounter counter(source_.view());
  for (std::size_t i : order) {
    const Span span = slots_[slots[i]];
    if (span.length != 0) lines[i] = counter.lineAt(span.offset);
  }
  return lines;
}

std::size_t physicalLineAt(std::string_view text, std::size_t offset) {
  return LineCounter(text).lineAt(offset);
}

}  // namespace parlavox
