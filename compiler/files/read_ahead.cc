#include "compiler/files/read_ahead.h"

#include <new>
#include <span>

#include "compiler/files/file_system.h"

namespace parlavox {

ReadAhead::ReadAhead(SourceBlocks* source, std::size_t blockSize, bool ahead)
    : source_(source), blockSize_(blockSize) {
  blocks_[0].bytes.reset(new char[blockSize]);
  if (!ahead) return;
  blocks_[1].bytes.reset(new char[blockSize]);
  // Without a thread each block is read when it is asked for.
  reader_.start([](void* self) { static_cast<ReadAhead*>(self)->readAll(); },
                this);
}

ReadAhead::~ReadAhead() { stop(); }

std::optional<std::string_view> ReadAhead::next() {
  if (!reader_.started()) {
    char* const bytes = blocks_[0].bytes.get();
    const std::optional<std::size_t> size = readInto(bytes);
    if (!size) return std::nullopt;
    return std::string_view(bytes, *size);
  }
  std::unique_lock lock(mutex_);
  if (holding_) {
    // The scan is done with the block it had: the reader may fill it.
    blocks_[turn_ ^ 1].filled = false;
    changed_.notify_one();
  }
  Block& block = blocks_[turn_];
  changed_.wait(lock, [&] { return block.filled; });
  holding_ = true;
  turn_ ^= 1;
  if (!block.size) return std::nullopt;
  return std::string_view(block.bytes.get(), *block.size);
}

void ReadAhead::stop() {
  if (!reader_.started()) return;
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  reader_.join();
}

std::optional<std::size_t> ReadAhead::readInto(char* bytes) {
  try {
    return source_->read(std::span<char>(bytes, blockSize_));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void ReadAhead::readAll() {
  for (std::size_t turn = 0;; turn ^= 1) {
    Block& block = blocks_[turn];
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stopping_ || !block.filled; });
      if (stopping_) return;
    }
    // The scan never looks at a block that is not filled: this one is the
    // reader's alone until it is.
    const std::optional<std::size_t> size = readInto(block.bytes.get());
    {
      const std::lock_guard lock(mutex_);
      block.size = size;
      block.filled = true;
    }
    changed_.notify_one();
    if (!size || *size == 0) return;
  }
}

}  // namespace parlavox
