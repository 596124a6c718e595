#include "compiler/files/temporary_files.h"

#include <algorithm>
#include <array>
#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace parlavox {

namespace {

using Char = std::filesystem::path::value_type;

// A few at once: one per compile running in the process.
constexpr int kSlots = 8;
constexpr std::size_t kLongestPath = 4096;

enum State : int { kFree, kFilling, kNoted };

// Fixed storage: a signal handler may neither allocate nor take a lock.
struct Slot {
  std::atomic<int> state{kFree};
  std::array<Char, kLongestPath> path{};
};

std::array<Slot, kSlots> slots;

void removeByName(const Char* path) {
#if defined(_WIN32)
  DeleteFileW(path);
#else
  unlink(path);
#endif
}

}  // namespace

int rememberTemporaryFile(const std::filesystem::path& path) {
  const auto& name = path.native();
  if (name.size() >= kLongestPath) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::copy(name.begin(), name.end(), slots[i].path.begin());
    slots[i].path[name.size()] = Char{};
    slots[i].state.store(kNoted);
    return i;
  }
  return -1;
}

void forgetTemporaryFile(int ticket) {
  if (ticket >= 0 && ticket < kSlots) slots[ticket].state.store(kFree);
}

void removeTemporaryFiles() {
  for (Slot& slot : slots) {
    if (slot.state.load() == kNoted) removeByName(slot.path.data());
  }
}

}  // namespace parlavox
