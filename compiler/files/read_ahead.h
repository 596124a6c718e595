// A source's blocks read on a thread of their own, one block ahead of the
// scan: two buffers take turns, the scan looking at one while the other is
// filled, so that reading costs the scan no time and no copy.

#ifndef PARLAVOX_COMPILER_READ_AHEAD_H_
#define PARLAVOX_COMPILER_READ_AHEAD_H_

#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "compiler/files/file_blocks.h"
#include "compiler/files/file_system.h"

namespace parlavox {

class ReadAhead {
 public:
  // Reads `source` in blocks of `blockSize`, ahead on a thread of its own
  // when `ahead` and the system gives one, else each block when asked for.
  // Throws std::bad_alloc when there is no room for the blocks.
  ReadAhead(SourceBlocks* source, std::size_t blockSize, bool ahead);

  // Stops the reading and waits for it.
  ~ReadAhead();

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next block: empty at the end, nothing when it could not be read.
  // It stays valid until the next call; after an end or a failure there is
  // no next call.
  std::optional<std::string_view> next();

  // Reads nothing more than the block being read, and returns once the
  // reading thread is done with the source.
  void stop();

 private:
  struct Block {
    std::unique_ptr<char[]> bytes;
    bool filled = false;              // read, and not yet done with
    std::optional<std::size_t> size;  // what the read gave
  };

  std::optional<std::size_t> readInto(char* bytes);
  void readAll();

  SourceBlocks* const source_;
  const std::size_t blockSize_;
  std::array<Block, 2> blocks_;
  std::size_t turn_ = 0;  // the block the scan takes next
  bool holding_ = false;  // the scan looks at the other block

  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;  // under mutex_
  os::Thread reader_;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_READ_AHEAD_H_
