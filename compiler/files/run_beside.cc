#include "compiler/files/run_beside.h"

#include "compiler/files/file_system.h"

namespace parlavox {

void runBeside(std::function<void()> beside,
               const std::function<void()>& here) {
  os::Thread thread;
  const auto run = [](void* work) {
    (*static_cast<std::function<void()>*>(work))();
  };
  const bool started = thread.start(run, &beside);
  here();
  if (started) {
    thread.join();
  } else {
    beside();
  }
}

}  // namespace parlavox
