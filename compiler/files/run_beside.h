// Two pieces of work run at once, one on a thread of the program's own:
// the way the compiler uses a second processor for work it can cut in two.

#ifndef PARLAVOX_COMPILER_FILES_RUN_BESIDE_H_
#define PARLAVOX_COMPILER_FILES_RUN_BESIDE_H_

#include <functional>

namespace parlavox {

// Runs `beside` on a thread of its own while `here` runs on this one, and
// returns once both are done; one after the other where the system gives
// no thread. `beside` must not throw.
void runBeside(std::function<void()> beside, const std::function<void()>& here);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_FILES_RUN_BESIDE_H_
