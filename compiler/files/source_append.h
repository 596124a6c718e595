// Adding lines to the end of a translator's source so that neither another
// update nor a kill leaves part of them: one update of a file at a time,
// under a lock that every update takes; and a small journal beside the
// source, on the disk before the lines are written and removed after, from
// which the next update or compile of that source finishes lines that a
// kill of every process, or a power cut, left cut off.

#ifndef PARLAVOX_COMPILER_SOURCE_APPEND_H_
#define PARLAVOX_COMPILER_SOURCE_APPEND_H_

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "compiler/files/file_system.h"
#include "compiler/files/text_file.h"

namespace parlavox {

// How long an update waits for another update of the same file to end.
inline constexpr std::chrono::milliseconds kUpdateWait{10000};

// The lock of one update of the source at `path`, held while it lives.
class SourceLock {
 public:
  // Waits up to `wait` while another update holds the lock.
  SourceLock(const std::filesystem::path& path, std::chrono::milliseconds wait);
  SourceLock(const SourceLock&) = delete;
  SourceLock& operator=(const SourceLock&) = delete;

  // Whether another update held the lock all the while: this one has not.
  bool busy() const { return busy_; }

 private:
  bool busy_ = false;
  os::ScopedHandle handle_;
};

// The journal of the source at `path`: "." + its name + ".append", beside it.
std::filesystem::path journalPathOf(const std::filesystem::path& path);

// The journal of an append of `bytes` to the file that was read as `read`.
std::string journalFor(const FileIdentity& read, std::string_view bytes);

// appendToFile, with the journal on the disk before the first byte is
// written and removed once the append has ended, whichever way.
WriteResult appendWithJournal(const std::filesystem::path& path,
                              const FileIdentity& read,
                              std::string_view readEnd, std::string_view bytes);

// What finishing a cut append came to.
enum class RepairStatus {
  kNothing,   // no journal: no append was cut off
  kFinished,  // the lines the journal holds are now whole in the source
  kStale,     // the source is no longer the file appended to: journal gone
  kFailed,    // the lines could not be finished; the journal stays
};

struct Repair {
  RepairStatus status = RepairStatus::kNothing;
  FileCause cause = FileCause::kNone;  // why it failed
};

// Finishes the append that the journal of the source at `path` tells of,
// where the source is still the file appended to and holds the start of
// those lines (or none of them), as after a kill; else removes the stale
// journal. To be called with the source's lock held.
Repair finishCutAppend(const std::filesystem::path& path);

// finishCutAppend for a compile, which takes the lock only where there is a
// journal: where another update holds it, that update is still running and
// nothing is done.
Repair finishCutAppendBeforeReading(const std::filesystem::path& path);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_APPEND_H_
