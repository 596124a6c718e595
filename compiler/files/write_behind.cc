#include "compiler/files/write_behind.h"

namespace parlavox {

WriteBehind::~WriteBehind() {
  if (!writer_.started()) return;
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_one();
  writer_.join();
}

bool WriteBehind::start() {
  return writer_.start(
      [](void* self) { static_cast<WriteBehind*>(self)->writeAll(); }, this);
}

bool WriteBehind::wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return pending_.empty(); });
  return !failed_;
}

void WriteBehind::hand(std::string_view bytes) {
  {
    const std::lock_guard lock(mutex_);
    pending_ = bytes;
  }
  changed_.notify_one();
}

void WriteBehind::writeAll() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return ending_ || !pending_.empty(); });
    if (pending_.empty()) return;
    const std::string_view bytes = pending_;
    lock.unlock();
    const bool written = (*sink_)(bytes);
    lock.lock();
    failed_ = failed_ || !written;
    pending_ = {};
    changed_.notify_one();
  }
}

}  // namespace parlavox
