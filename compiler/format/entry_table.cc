#include "compiler/format/entry_table.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace parlavox {

namespace {

// Counts line ends forward through `text`, for offsets in ascending order.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}

  std::size_t lineAt(std::size_t offset) {
    offset = std::min(offset, text_.size());
    if (offset <= at_) return lineEnds_ + 1;
    const char* const begin = text_.data();
    lineEnds_ +=
        static_cast<std::size_t>(std::count(begin + at_, begin + offset, '\n'));
    // A CR counts where no LF follows it to finish the line end.
    for (const void* found = std::memchr(begin + at_, '\r', offset - at_);
         found != nullptr;) {
      const std::size_t cr =
          static_cast<std::size_t>(static_cast<const char*>(found) - begin);
      if (cr + 1 >= text_.size() || text_[cr + 1] != '\n') ++lineEnds_;
      found = std::memchr(begin + cr + 1, '\r', offset - cr - 1);
    }
    at_ = offset;
    return lineEnds_ + 1;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t lineEnds_ = 0;
};

}  // namespace

// The parser cuts a text at its comment and trims spaces, so only spaces
// stand between a text and its comment's "//"; anything else there is the
// end of the line. Deriving it here costs the parse nothing.
std::string_view EntryTable::comment(std::size_t slot) const {
  const Span span = slots_[slot];
  if (span.length == 0) return {};
  const std::string_view source = source_.view();
  std::size_t at = span.offset + span.length;
  while (at < source.size() && source[at] == ' ') ++at;
  if (source.substr(at, 2) != "//") return {};
  const std::size_t begin = at + 2;
  // A scan by hand: find_first_of searches its set once for every byte.
  const auto ends = [](char c) { return c == '\r' || c == '\n' || c == '^'; };
  const std::size_t end = static_cast<std::size_t>(
      std::find_if(source.begin() + static_cast<std::ptrdiff_t>(begin),
                   source.end(), ends) -
      source.begin());
  std::string_view comment = source.substr(begin, end - begin);
  comment.remove_prefix(
      std::min(comment.find_first_not_of(' '), comment.size()));
  comment = comment.substr(0, comment.find_last_not_of(' ') + 1);
  return comment;
}

std::size_t EntryTable::physicalLine(std::size_t slot) const {
  return physicalLines({slot}).front();
}

std::vector<std::size_t> EntryTable::physicalLines(
    const std::vector<std::size_t>& slots) const {
  std::vector<std::size_t> order(slots.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto earlier = [&](std::size_t a, std::size_t b) {
    return slots_[slots[a]].offset < slots_[slots[b]].offset;
  };
  // Most sources are in number order already.
  if (!std::is_sorted(order.begin(), order.end(), earlier)) {
    std::sort(order.begin(), order.end(), earlier);
  }
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
