// Makes each step of writing the compiled file fail for real: creating the
// temporary file (no file handle left), writing it (file size limit), closing
// it (the limit hit when the buffer is flushed), and renaming it (a folder in
// the way). Every time the compile says so, keeps the earlier output and
// leaves no temporary file. Process limits need POSIX, so Linux only.

#include <gtest/gtest.h>

#if defined(__linux__)

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "compiler/compile.h"
#include "compiler/files/test_folder.h"
#include "compiler/files/text_file.h"

namespace parlavox {
namespace {

using Names = std::vector<std::string>;

constexpr char kEarlier[] = "earlier\r\n";
constexpr char kFailure[] = "File LangX.lng could not be written";

// Sets a soft resource limit for its lifetime.
class ScopedLimit {
 public:
  ScopedLimit(int resource, rlim_t limit) : resource_(resource) {
    getrlimit(resource_, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    EXPECT_EQ(setrlimit(resource_, &lowered), 0);
  }
  ~ScopedLimit() { setrlimit(resource_, &saved_); }

 private:
  int resource_;
  rlimit saved_{};
};

class WriteFailureTest : public ::testing::Test {
 protected:
  WriteFailureTest() {
    // Past the file size limit a write fails instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    folder_.write("LangX.lng", kEarlier);
  }

  void expectEarlierOutputKept(const CompileResult& result) {
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.message(), kFailure);
    EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
    EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
  }

  // A source whose compiled file has about `bytes` bytes.
  void writeSourceOf(std::size_t bytes) {
    folder_.write("langX.txt", "0 | " + std::string(bytes, 'x') + "\n");
  }

  TestFolder folder_;
};

TEST_F(WriteFailureTest, NoFileHandleForTheTemporaryFile) {
  writeSourceOf(10);
  EntryTable table;
  ASSERT_TRUE(loadLanguage(folder_.path(), "X", &table).ok());
  const int nextHandle = dup(0);
  close(nextHandle);
  CompileResult result = CompileResult::success();
  {
    ScopedLimit handles(RLIMIT_NOFILE, static_cast<rlim_t>(nextHandle));
    result = writeLanguage(folder_.path(), "X", table);
  }
  expectEarlierOutputKept(result);
}

TEST_F(WriteFailureTest, NoTemporaryFileStillNamesTheSourcesFault) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own checks need file handles of their own";
#endif
  // One handle left: the source opens, the temporary file does not.
  const int nextHandle = dup(0);
  close(nextHandle);
  writeSourceOf(10);
  CompileResult good = CompileResult::success();
  {
    ScopedLimit handles(RLIMIT_NOFILE, static_cast<rlim_t>(nextHandle + 1));
    good = compileLanguage(folder_.path(), "X");
  }
  expectEarlierOutputKept(good);
  folder_.write("langX.txt", "0 | a\n1 | b\n0 | c\n");
  CompileResult faulty = CompileResult::success();
  {
    ScopedLimit handles(RLIMIT_NOFILE, static_cast<rlim_t>(nextHandle + 1));
    faulty = compileLanguage(folder_.path(), "X");
  }
  EXPECT_EQ(faulty.message(), "double entry for line number 0");
  EXPECT_EQ(faulty.line(), 3u);
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
}

TEST_F(WriteFailureTest, WriteStopsShort) {
  writeSourceOf(4 << 20);
  EntryTable table;
  ASSERT_TRUE(loadLanguage(folder_.path(), "X", &table).ok());
  CompileResult result = CompileResult::success();
  {
    ScopedLimit fileSize(RLIMIT_FSIZE, 1 << 20);
    result = writeLanguage(folder_.path(), "X", table);
  }
  expectEarlierOutputKept(result);
}

TEST_F(WriteFailureTest, FlushOnCloseFails) {
  // Small enough to stay in the stream's buffer until it is closed.
  writeSourceOf(100);
  EntryTable table;
  ASSERT_TRUE(loadLanguage(folder_.path(), "X", &table).ok());
  CompileResult result = CompileResult::success();
  {
    ScopedLimit fileSize(RLIMIT_FSIZE, 50);
    result = writeLanguage(folder_.path(), "X", table);
  }
  expectEarlierOutputKept(result);
}

TEST_F(WriteFailureTest, WriteStopsShortInTheStreamedCompile) {
  writeSourceOf(4 << 20);
  CompileResult result = CompileResult::success();
  {
    ScopedLimit fileSize(RLIMIT_FSIZE, 1 << 20);
    result = compileLanguage(folder_.path(), "X");
  }
  expectEarlierOutputKept(result);
  // The source's fault comes first, even once the write has failed.
  folder_.write("langX.txt", "0 | " + std::string(4 << 20, 'x') + "\n0 | b\n");
  {
    ScopedLimit fileSize(RLIMIT_FSIZE, 1 << 20);
    result = compileLanguage(folder_.path(), "X");
  }
  EXPECT_EQ(result.message(), "double entry for line number 0");
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST_F(WriteFailureTest, BlocksWrittenBehindThatFailKeepTheEarlierFile) {
  // The file may hold one block (256 KB) and not two: the second block,
  // written while the third is filled, fails.
  constexpr rlim_t kLimit = 300 << 10;
  const std::string piece(1000, 'p');
  const std::string large(1 << 20, 'L');
  const std::function<void(FileWriter&)> produces[] = {
      [&](FileWriter& writer) {
        const ScopedLimit fileSize(RLIMIT_FSIZE, kLimit);
        for (int i = 0; i < 4000; ++i) writer.write(piece);
      },
      // A write larger than a block goes out after the block before it.
      [&](FileWriter& writer) {
        const ScopedLimit fileSize(RLIMIT_FSIZE, kLimit);
        for (int i = 0; i < 280; ++i) writer.write(piece);
        writer.write(large);
        writer.write(piece);
      },
      // Only the second block fails: the writes after it would succeed.
      [&](FileWriter& writer) {
        {
          const ScopedLimit fileSize(RLIMIT_FSIZE, kLimit);
          for (int i = 0; i < 1000; ++i) writer.write(piece);
        }
        for (int i = 0; i < 1000; ++i) writer.write(piece);
      },
      // Abandoned after blocks went out.
      [&](FileWriter& writer) {
        for (int i = 0; i < 4000; ++i) writer.write(piece);
        writer.abandon();
      },
  };
  for (const auto& produce : produces) {
    const WriteResult result =
        replaceFileWith(folder_.path() / "LangX.lng", produce);
    EXPECT_EQ(result.status, WriteStatus::kFailed);
    EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
    EXPECT_EQ(folder_.names(), Names{"LangX.lng"});
  }
}

// The process's address space in use now, in bytes.
rlim_t addressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  return pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

TEST_F(WriteFailureTest, EarlyTextsBeyondMemoryMakeTheSourceUnreadable) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer needs more address space than any limit";
#endif
  // About 20 MB of texts that all wait for line number 0 at the end.
  std::string source = "Charset | 238\n";
  for (int n = 400000; n > 0; --n) {
    source += std::to_string(n) + " | " + std::string(40, 'x') + "\n";
  }
  folder_.write("langX.txt", source + "0 | a\n");
  CompileResult result = CompileResult::success();
  {
    ScopedLimit memory(RLIMIT_AS, addressSpaceInUse() + (8 << 20));
    result = compileLanguage(folder_.path(), "X");
  }
  EXPECT_EQ(result.message(), "File langX.txt could not be read");
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
  // With the memory back, the same source compiles.
  EXPECT_TRUE(compileLanguage(folder_.path(), "X").ok());
}

TEST_F(WriteFailureTest, AFolderInTheWayIsNamedAndKept) {
  writeSourceOf(10);
  std::filesystem::remove(folder_.path() / "LangX.lng");
  std::filesystem::create_directory(folder_.path() / "LangX.lng");
  folder_.write("LangX.lng/keep", "kept");
  const CompileResult result = compileLanguage(folder_.path(), "X");
  EXPECT_EQ(result.message(),
            std::string(kFailure) + ": it is a folder, not a file");
  EXPECT_EQ(folder_.read("LangX.lng/keep"), "kept");
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

}  // namespace
}  // namespace parlavox

#endif  // defined(__linux__)
