#include "compiler/format/compiled_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace parlavox {

namespace {

// Large enough that keeping a reversed source costs few allocations, small
// enough that one chunk is little beside a source that needs it.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// A text larger than this gets an allocation of its own, so that a chunk
// never wastes more than this at its end.
constexpr std::size_t kLargestPacked = kChunkSize / 8;

// Room for a number of up to 64 bits written seven bits to a byte.
constexpr std::size_t kMostNumberBytes = 10;

char* putNumber(char* out, std::uint64_t number) {
  for (; number >= 0x80; number >>= 7) {
    *out++ = static_cast<char>(0x80 | (number & 0x7F));
  }
  *out++ = static_cast<char>(number);
  return out;
}

const char* getNumber(const char* in, std::uint64_t* number) {
  *number = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*in++);
    *number |= std::uint64_t{byte & 0x7Fu} << shift;
    if (byte < 0x80) return in;
  }
}

}  // namespace

bool EarlyTexts::keep(std::uint64_t slot, std::string_view text,
                      std::size_t line) {
  char header[2 * kMostNumberBytes];
  const char* const headerEnd = putNumber(putNumber(header, line), text.size());
  const auto headerSize = static_cast<std::size_t>(headerEnd - header);
  char* record = room(headerSize + text.size());
  if (record == nullptr) return false;
  std::memcpy(record, header, headerSize);
  std::memcpy(record + headerSize, text.data(), text.size());
  try {
    if (falling_.empty() || slot < falling_.back().slot) {
      falling_.push_back({slot, record});
    } else {
      heap_.push_back({slot, record});
      std::push_heap(heap_.begin(), heap_.end(), lowestOnTop);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  bytes_ += text.size();
  memory_ += headerSize + text.size() + sizeof(Kept);
  return true;
}

std::string_view EarlyTexts::lowestText() const {
  std::uint64_t line = 0;
  std::uint64_t length = 0;
  const char* text = getNumber(getNumber(lowest().record, &line), &length);
  return {text, static_cast<std::size_t>(length)};
}

std::size_t EarlyTexts::lowestLine() const {
  std::uint64_t line = 0;
  getNumber(lowest().record, &line);
  return static_cast<std::size_t>(line);
}

void EarlyTexts::dropLowest() {
  const std::string_view text = lowestText();
  bytes_ -= text.size();
  memory_ -=
      static_cast<std::size_t>(text.data() + text.size() - lowest().record) +
      sizeof(Kept);
  if (lowestFalls()) {
    falling_.pop_back();
  } else {
    std::pop_heap(heap_.begin(), heap_.end(), lowestOnTop);
    heap_.pop_back();
  }
  if (empty()) {
    // Nothing is kept: the first chunk is filled again from its start.
    large_.clear();
    if (!chunks_.empty()) {
      chunks_.resize(1);
      free_ = chunks_.front().get();
      freeSize_ = kChunkSize;
    }
  }
}

char* EarlyTexts::room(std::size_t size) {
  try {
    if (size > kLargestPacked) {
      large_.emplace_back(new (std::nothrow) char[size]);
      return large_.back().get();
    }
    if (size > freeSize_) {
      chunks_.emplace_back(new (std::nothrow) char[kChunkSize]);
      free_ = chunks_.back().get();
      freeSize_ = free_ == nullptr ? 0 : kChunkSize;
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (free_ == nullptr) return nullptr;
  char* bytes = free_;
  free_ += size;
  freeSize_ -= size;
  return bytes;
}

CompiledStream::CompiledStream(TextOutput* out,
                               std::optional<std::string> charset,
                               std::size_t heldForCharset)
    : out_(out),
      charsetKnown_(charset.has_value()),
      heldForCharset_(heldForCharset) {
  if (charset) write(*charset, 0);
}

bool CompiledStream::take(std::size_t slot, std::string_view text,
                          std::uint64_t /*offset*/, std::size_t line) {
  if (slot == 0 && next_ != 0) {
    if (charsetKnown_) return true;
    lateCharset_ = std::string(text);
    return false;
  }
  // Texts in order with no Charset line before them go out after an empty
  // one, rather than all stay in memory.
  if (slot != next_ && next_ == 0 && !charsetKnown_ &&
      early_.memory() + text.size() > heldForCharset_) {
    charsetTakenAsNone_ = true;
    if (!write({}, 0) || !writeKept()) return false;
  }
  if (slot != next_) {
    outOfMemory_ = !early_.keep(slot, text, line);
    return !outOfMemory_;
  }
  return write(text, line) && writeKept();
}

bool CompiledStream::finish(std::size_t slotCount) {
  if (next_ == 0 && !write({}, 0)) return false;
  if (!writeKept()) return false;
  // The scan checked the numbering: every slot has been written now.
  return next_ == slotCount && early_.empty();
}

bool CompiledStream::write(std::string_view text, std::size_t line) {
  if (!out_->put(next_, text, line)) return false;
  ++next_;
  return true;
}

// Writes the kept texts whose turn has come.
bool CompiledStream::writeKept() {
  while (!early_.empty() && early_.lowestSlot() == next_) {
    if (!write(early_.lowestText(), early_.lowestLine())) return false;
    early_.dropLowest();
  }
  return true;
}

}  // namespace parlavox
