#include "compiler/po/po_file.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "compiler/files/file_system.h"
#include "compiler/po/po_reader.h"

namespace parlavox {

namespace {

// Whether the line at the start of `text` begins an entry whatever came
// before it: a comment, or the keyword an entry opens with.
bool opensEntry(std::string_view text) {
  if (text.starts_with('#') || text.starts_with("msgctxt")) return true;
  return text.starts_with("msgid") && text.size() > 5 &&
         (text[5] == ' ' || text[5] == '\t' || text[5] == '"');
}

// The most bytes the second half is searched for where it begins: past
// that, the file is read in one piece.
constexpr std::size_t kMostSought = std::size_t{4} << 20;

// The source maker's result once its reader is done.
void finishSource(PoReader* reader, PoSourceMaker* maker, PoSource* source) {
  const PoReadStatus status = reader->finish();
  if (!status.ok) {
    *source = PoSource();
    source->result = CompileResult::failure(status.message, status.line);
    return;
  }
  *source = maker->finish();
}

// Hands `sink` what `maker` added to the text since `*handed` bytes of it.
void handOn(const PoTextSink& sink, const PoSourceMaker& maker,
            std::size_t* handed) {
  const std::string_view text = maker.text();
  if (!sink || text.size() == *handed) return;
  sink(text.substr(*handed), maker.charset());
  *handed = text.size();
}

ReadResult readWhole(FileBlocks* file, PoLayout layout, PoSource* source,
                     const PoTextSink& sink) {
  PoSourceMaker maker(layout);
  PoReader reader(&maker);
  // A source holds less than half of the PO file made of it.
  maker.reserve(static_cast<std::size_t>(file->size() / 2));
  std::size_t handed = 0;
  ReadResult read = readInBlocks(file, [&](std::string_view block) {
    const bool fed = reader.feed(block);
    handOn(sink, maker, &handed);
    return fed;
  });
  if (read.status == ReadStatus::kRead) finishSource(&reader, &maker, source);
  return read;
}

// The second half of a file, read on a thread of its own from the first
// entry that begins after a given byte.
class SecondHalf {
 public:
  SecondHalf(const std::filesystem::path& path, const FileIdentity& file,
             std::uint64_t from, PoLayout layout)
      : path_(path), file_(file), from_(from), maker_(layout) {}

  static void run(void* half) { static_cast<SecondHalf*>(half)->readHalf(); }

  // Waits until it is known where the half begins: its offset in the file,
  // or nothing where the file is to be read in one piece.
  std::optional<std::uint64_t> start() {
    std::unique_lock<std::mutex> lock(mutex_);
    known_.wait(lock, [&] { return decided_; });
    return start_;
  }

  // Tells the thread that its work is no longer wanted.
  void abandon() { abandoned_ = true; }

  // Once the thread is done: whether it read to the file's end without a
  // fault, and from the file it was given.
  bool whole() const { return whole_; }

  PoSourceMaker& maker() { return maker_; }

 private:
  void readHalf();
  void readFrom(FileBlocks* file);
  void decide(std::optional<std::uint64_t> start) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (decided_) return;
      decided_ = true;
      start_ = start;
    }
    known_.notify_all();
  }

  const std::filesystem::path& path_;
  const FileIdentity file_;
  const std::uint64_t from_;
  PoSourceMaker maker_;
  std::atomic<bool> abandoned_{false};
  bool whole_ = false;
  std::mutex mutex_;
  std::condition_variable known_;
  bool decided_ = false;  // under mutex_, with start_
  std::optional<std::uint64_t> start_;
};

void SecondHalf::readHalf() {
  try {
    FileBlocks file(path_);
    const std::optional<FileIdentity> identity = file.identity();
    // The same file as the first half's, unchanged since it was opened.
    if (file.status() == ReadStatus::kRead && identity && *identity == file_ &&
        file.skipTo(from_)) {
      readFrom(&file);
    }
  } catch (const std::exception&) {
    whole_ = false;
  }
  decide(std::nullopt);  // where nothing was decided before
}

void SecondHalf::readFrom(FileBlocks* file) {
  PoReader reader(&maker_);
  const std::unique_ptr<char[]> block(new char[kSourceBlockSize]);
  std::string sought;  // read before the half's start was found
  bool started = false;
  while (!abandoned_) {
    const std::optional<std::size_t> got =
        file->read({block.get(), kSourceBlockSize});
    if (!got) return;
    if (*got == 0) break;
    const std::string_view bytes(block.get(), *got);
    if (started) {
      if (!reader.feed(bytes)) return;
      continue;
    }
    sought.append(bytes);
    const std::optional<std::size_t> start = poHalfStart(sought);
    if (!start) {
      if (sought.size() > kMostSought) return;
      continue;
    }
    started = true;
    decide(from_ + *start);
    if (!reader.feed(std::string_view(sought).substr(*start))) return;
    sought = std::string();
  }
  whole_ = started && !abandoned_ && file->unchanged() && reader.finish().ok;
}

}  // namespace

std::optional<std::size_t> poHalfStart(std::string_view bytes) {
  for (std::size_t end = bytes.find('\n'); end != std::string_view::npos;
       end = bytes.find('\n', end + 1)) {
    std::size_t next = end + 1;
    if (next < bytes.size() && bytes[next] == '\r') ++next;
    if (next >= bytes.size() || bytes[next] != '\n') continue;
    const std::size_t start = next + 1;
    if (opensEntry(bytes.substr(start, 8))) return start;
  }
  return std::nullopt;
}

ReadResult readPoFile(FileBlocks* file, const std::filesystem::path& path,
                      PoLayout layout, bool halves, PoSource* source,
                      const PoTextSink& sink) {
  const std::optional<FileIdentity> identity =
      file->status() == ReadStatus::kRead ? file->identity() : std::nullopt;
  if (!halves || !identity) return readWhole(file, layout, source, sink);
  // A little past the middle: the second half's thread reads its blocks
  // itself, where this one has them read ahead.
  const std::uint64_t splitFrom = file->size() / 100 * 55;
  SecondHalf second(path, *identity, splitFrom, layout);
  os::Thread thread;  // joined before `second` goes
  if (!thread.start(&SecondHalf::run, &second)) {
    return readWhole(file, layout, source, sink);
  }
  PoSourceMaker maker(layout);
  PoReader reader(&maker);
  maker.reserve(static_cast<std::size_t>(file->size() / 2));
  std::uint64_t at = 0;              // where the next block begins
  std::optional<std::uint64_t> end;  // where the second half begins
  bool asked = false;
  std::size_t handed = 0;
  ReadResult read = readInBlocks(file, [&](std::string_view block) {
    if (!asked && at + block.size() > splitFrom) {
      end = second.start();
      asked = true;
    }
    if (end && at + block.size() >= *end) {
      reader.feed(block.substr(0, static_cast<std::size_t>(*end - at)));
      handOn(sink, maker, &handed);
      return false;
    }
    at += block.size();
    const bool fed = reader.feed(block);
    handOn(sink, maker, &handed);
    return fed;
  });
  if (read.status != ReadStatus::kRead || !end) {
    // A file that failed to be read, or was read in one piece here, the
    // second half's thread having found no place to begin, or this one a
    // fault before the second half.
    second.abandon();
    thread.join();
    if (read.status == ReadStatus::kRead) finishSource(&reader, &maker, source);
    return read;
  }
  const bool between = reader.betweenEntries();
  const std::size_t lines = reader.linesRead();
  const bool firstRead = reader.finish().ok;
  thread.join();
  if (firstRead && between && second.whole() &&
      maker.takeOn(second.maker(), lines)) {
    *source = maker.finish();
    return read;
  }
  if (!file->rewind()) {
    ReadResult failed;
    failed.cause = os::causeOfLastFailure();
    return failed;
  }
  // What the sink was handed is the start of this reading's text too.
  return readWhole(file, layout, source, {});
}

}  // namespace parlavox
