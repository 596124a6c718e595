// The scan of a source read ahead on a thread of its own: the reads stay in
// order on that one thread and end with the scan, at most one block past
// where it stopped, whichever way it stops.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <thread>

#include "compiler/compile.h"
#include "compiler/files/test_folder.h"
#include "compiler/source/source_blocks.h"
#include "compiler/source/test_scan.h"

namespace parlavox {
namespace {

constexpr std::size_t kBlock = 64;

// A source of fixed bytes that notes how it is read.
class WatchedBlocks : public SourceBlocks {
 public:
  explicit WatchedBlocks(std::string bytes) : bytes_(std::move(bytes)) {}

  std::uint64_t size() const override { return bytes_.size(); }

  std::optional<std::size_t> read(std::span<char> into) override {
    if (reading_.exchange(true)) overlapped = true;
    if (ended_) readAfterEnd = true;
    {
      const std::lock_guard lock(mutex_);
      threads_.insert(std::this_thread::get_id());
    }
    const int read = ++reads;
    std::optional<std::size_t> got;
    if (read == throwAt) {
      reading_ = false;
      throw std::bad_alloc();
    }
    if (read != failAt) {
      got = std::min(into.size(), bytes_.size() - at_);
      std::copy_n(bytes_.data() + at_, *got, into.data());
      at_ += *got;
    }
    reading_ = false;
    return got;
  }

  bool unchanged() override {
    if (reading_) overlapped = true;
    ended_ = true;
    return true;
  }

  std::size_t threads() {
    const std::lock_guard lock(mutex_);
    return threads_.size();
  }

  int failAt = 0;   // the read that fails, counted from 1
  int throwAt = 0;  // the read that runs out of memory
  std::atomic<int> reads{0};
  std::atomic<bool> overlapped{false};
  std::atomic<bool> readAfterEnd{false};

 private:
  std::string bytes_;
  std::size_t at_ = 0;
  std::atomic<bool> reading_{false};
  std::atomic<bool> ended_{false};
  std::mutex mutex_;
  std::set<std::thread::id> threads_;
};

// Takes texts, the first one slowly, so that a reader not held back would
// read far ahead meanwhile; refuses, or runs out of memory, at a given text.
class SlowSink : public EntrySink {
 public:
  bool take(std::size_t, std::string_view text, std::uint64_t,
            std::size_t) override {
    if (++taken == 1) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    if (taken == throwAt) throw std::bad_alloc();
    texts.append(text).append(";");
    return taken != refuseAt;
  }

  int taken = 0;
  int refuseAt = 0;
  int throwAt = 0;
  std::string texts;
};

// A source of `count` lines "n | tn" in number order after its Charset,
// and the texts a sink takes from it.
struct Numbered {
  std::string source = "Charset | 238\n";
  std::string texts = "238;";
};

Numbered numbered(int count) {
  Numbered made;
  for (int n = 0; n < count; ++n) {
    const std::string number = std::to_string(n);
    made.source.append(number).append(" | t").append(number).append("\n");
    made.texts.append("t").append(number).append(";");
  }
  return made;
}

int blocksOf(const std::string& text) {
  return static_cast<int>((text.size() + kBlock - 1) / kBlock);
}

TEST(ReadAheadTest, ManyBlocksAreReadInOrderOnOneThreadBeforeTheEnd) {
  const Numbered made = numbered(1000);
  WatchedBlocks source(made.source);
  SlowSink sink;
  EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
            "scanned 1001");
  EXPECT_EQ(sink.texts, made.texts);
  // Every block, then the read that finds the end.
  EXPECT_EQ(source.reads, blocksOf(made.source) + 1);
  EXPECT_EQ(source.threads(), 1u);
  EXPECT_FALSE(source.overlapped);
  EXPECT_FALSE(source.readAfterEnd);
}

TEST(ReadAheadTest, AScanStoppedEarlyReadsAtMostOneBlockPastItsStop) {
  // A fault, a refusing sink and memory running out, each in the first of
  // many blocks.
  const Numbered made = numbered(1000);
  {
    WatchedBlocks source(std::string("0 | a\n0 | b\n").append(made.source, 14));
    SlowSink sink;
    EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
              "double entry for line number 0 @2");
    EXPECT_LE(source.reads, 2);
    EXPECT_FALSE(source.readAfterEnd);
  }
  {
    WatchedBlocks source(made.source);
    SlowSink sink;
    sink.refuseAt = 2;
    EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
              "stopped");
    EXPECT_EQ(sink.texts, "238;t0;");
    EXPECT_LE(source.reads, 2);
  }
  {
    WatchedBlocks source(made.source);
    SlowSink sink;
    sink.throwAt = 3;
    EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
              "unreadable");
    EXPECT_LE(source.reads, 2);
  }
}

TEST(ReadAheadTest, AReadThatFailsInTheMiddleMakesTheSourceUnreadable) {
  const Numbered made = numbered(1000);
  {
    WatchedBlocks source(made.source);
    source.failAt = 20;
    SlowSink sink;
    EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
              "unreadable");
    // Nothing is read after the failure.
    EXPECT_EQ(source.reads, 20);
  }
  {
    // Memory running out on the reading thread is the same.
    WatchedBlocks source(made.source);
    source.throwAt = 20;
    SlowSink sink;
    EXPECT_EQ(outcome(scanSource(&source, &sink, inBlocksOf(kBlock))),
              "unreadable");
    EXPECT_EQ(source.reads, 20);
  }
}

TEST(ReadAheadTest,
     AFaultBeforeTheFirstByteBeyondAsciiIsReportedWhateverIsAhead) {
  // The block after the fault, already read when the fault is found, holds
  // a byte beyond ASCII: the fault is still the one reported.
  TestFolder folder;
  std::string source = "Charset | 238\n0 | a\n0 | b\n";
  source.append(80, 'x').append("\n1 | \xC5\xBC\n");
  folder.write("langX.txt", source.append(numbered(1000).source, 14));
  folder.write("LangX.lng", "earlier\r\n");
  CompileOptions options;
  options.blockSize = kBlock;
  const CompileResult result = compileLanguage(folder.path(), "X", options);
  EXPECT_EQ(result.message(), "double entry for line number 0");
  EXPECT_EQ(result.line(), 3u);
  EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
}

}  // namespace
}  // namespace parlavox
