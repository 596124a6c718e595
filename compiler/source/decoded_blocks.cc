#include "compiler/source/decoded_blocks.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace parlavox {

std::uint64_t BlocksAfter::size() const {
  const std::uint64_t size = source_->size();
  return size - std::min<std::uint64_t>(size, skip_);
}

std::optional<std::size_t> BlocksAfter::read(std::span<char> into) {
  while (skip_ > 0) {
    const std::optional<std::size_t> got =
        source_->read(into.first(std::min(into.size(), skip_)));
    if (!got || *got == 0) return got;
    skip_ -= *got;
  }
  return source_->read(into);
}

std::optional<std::size_t> Utf16Blocks::read(std::span<char> into) {
  if (raw_ == nullptr) {
    raw_.reset(new (std::nothrow) char[kChunkSize]);
    decoded_.reset(
        new (std::nothrow) char[Utf16Decoder::mostUtf8For(kChunkSize)]);
    if (raw_ == nullptr || decoded_ == nullptr) return std::nullopt;
  }
  // A chunk may decode to nothing: half a unit, or half a pair.
  while (handedOut_ == decodedSize_ && !ended_) {
    const std::optional<std::size_t> got =
        source_->read(std::span<char>(raw_.get(), kChunkSize));
    if (!got) return std::nullopt;
    handedOut_ = 0;
    if (*got == 0) {
      decoder_.finish();
      ended_ = true;
      decodedSize_ = 0;
    } else {
      decodedSize_ = static_cast<std::size_t>(
          decoder_.decode(std::string_view(raw_.get(), *got), decoded_.get()) -
          decoded_.get());
    }
    if (decoder_.fault()) return std::nullopt;  // changed since the survey
  }
  const std::size_t count = std::min(into.size(), decodedSize_ - handedOut_);
  std::memcpy(into.data(), decoded_.get() + handedOut_, count);
  handedOut_ += count;
  return count;
}

}  // namespace parlavox
