// A thread that writes a file's blocks behind the one that fills them: one
// block is written while the next is filled, so that the write calls, and
// the disk's work they start, overlap the making of the bytes.

#ifndef PARLAVOX_COMPILER_WRITE_BEHIND_H_
#define PARLAVOX_COMPILER_WRITE_BEHIND_H_

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string_view>

#include "compiler/files/file_system.h"

namespace parlavox {

class WriteBehind {
 public:
  // Takes bytes to write; false when they could not be written.
  using Sink = std::function<bool(std::string_view)>;

  // Writes into `*sink`, which must outlive this.
  explicit WriteBehind(const Sink* sink) : sink_(sink) {}

  // Waits for the bytes being written, and for the thread.
  ~WriteBehind();

  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Starts the thread; false when the system gives none.
  bool start();

  // Waits until the bytes handed over are written: false once any write
  // has failed. The sink is then free to be called by the caller too.
  bool wait();

  // Hands `bytes`, not empty, to the thread to write, right after wait():
  // they must stay as they are until the next wait() returns.
  void hand(std::string_view bytes);

 private:
  void writeAll();

  const Sink* const sink_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Under mutex_:
  std::string_view pending_;  // handed over and not yet written
  bool failed_ = false;
  bool ending_ = false;
  os::Thread writer_;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_WRITE_BEHIND_H_
