// What replacing a file promises beyond its bytes, on POSIX systems: the
// replaced file's mode, a temporary file that never reuses an existing one,
// a source read from the opened file only, and failures, not crashes, when
// memory runs out.

#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "compiler/compile.h"
#include "compiler/files/file_system.h"
#include "compiler/files/test_folder.h"
#include "compiler/files/text_file.h"

namespace parlavox {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

mode_t modeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0);
  return status.st_mode & 07777;
}

// Sets the process's umask for its lifetime.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : saved_(umask(mask)) {}
  ~ScopedUmask() { umask(saved_); }

 private:
  mode_t saved_;
};

TEST(DurableWriteTest, ReplacedFileKeepsItsMode) {
  for (const mode_t mode : {mode_t{0640}, mode_t{0444}, mode_t{0600}}) {
    TestFolder folder;
    folder.write("langX.txt", "0 | a\n");
    folder.write("LangX.lng", "old\r\n");
    ASSERT_EQ(chmod((folder.path() / "LangX.lng").c_str(), mode), 0);
    ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
    EXPECT_EQ(folder.read("LangX.lng"), "\r\na\r\n");
    EXPECT_EQ(modeOf(folder.path() / "LangX.lng"), mode) << std::oct << mode;
  }
}

struct Owner {
  uid_t user;
  gid_t group;
  friend bool operator==(const Owner&, const Owner&) = default;
};

Owner ownerOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(stat(path.c_str(), &status), 0);
  return {status.st_uid, status.st_gid};
}

// Another user and group than the caller's where the caller may give files
// away (root); the caller's own otherwise.
Owner anotherOwner() {
  if (geteuid() == 0) return {65534, 65534};
  return {geteuid(), getegid()};
}

TEST(DurableWriteTest, LinkedOutputIsReplacedWhereItPointsWithAllItsMode) {
  for (const mode_t mode : {mode_t{0600}, mode_t{02640}, mode_t{07755}}) {
    TestFolder folder;
    folder.write("langX.txt", "0 | a\n");
    fs::create_directory(folder.path() / "kept");
    folder.write("kept/out.lng", "old\r\n");
    const fs::path target = folder.path() / "kept" / "out.lng";
    const Owner owner = anotherOwner();
    ASSERT_EQ(chown(target.c_str(), owner.user, owner.group), 0);
    ASSERT_EQ(chmod(target.c_str(), mode), 0);
    fs::create_symlink("kept/out.lng", folder.path() / "LangX.lng");

    const CompileResult result = compileLanguage(folder.path(), "X");
    ASSERT_TRUE(result.ok()) << result.message();
    EXPECT_TRUE(fs::is_symlink(folder.path() / "LangX.lng"));
    EXPECT_EQ(folder.read("kept/out.lng"), "\r\na\r\n");
    EXPECT_EQ(modeOf(target), mode) << std::oct << mode;
    EXPECT_EQ(ownerOf(target), owner);
    EXPECT_EQ(folder.names(), (Names{"LangX.lng", "kept", "langX.txt"}));
    EXPECT_EQ(fs::directory_iterator(folder.path() / "kept")->path(), target);
  }
}

TEST(DurableWriteTest, DanglingLinkedOutputIsWrittenWhereItPoints) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\n");
  fs::create_directory(folder.path() / "kept");
  fs::create_symlink("kept/out.lng", folder.path() / "LangX.lng");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_TRUE(fs::is_symlink(folder.path() / "LangX.lng"));
  EXPECT_EQ(folder.read("kept/out.lng"), "\r\na\r\n");
}

TEST(DurableWriteTest, SourceChangedBeforeTheOutputIsNamedKeepsTheOutput) {
  TestFolder folder;
  folder.write("langX.txt", "0 | aaaa\n");
  folder.write("LangX.lng", "earlier\r\n");
  const fs::path source = folder.path() / "langX.txt";
  const fs::file_time_type readTime = fs::last_write_time(source);
  // Rewritten in place without a change of size, a nanosecond later; then
  // saved as a new file with the very bytes and time.
  const auto inPlace = [&] {
    folder.write("langX.txt", "0 | bbbb\n");
    fs::last_write_time(source, readTime + std::chrono::nanoseconds(1));
  };
  const auto renamedOver = [&] {
    folder.write("saved", "0 | aaaa\n");
    fs::last_write_time(folder.path() / "saved", readTime);
    fs::rename(folder.path() / "saved", source);
  };
  for (const std::function<void()>& change :
       std::array<std::function<void()>, 2>{inPlace, renamedOver}) {
    folder.write("langX.txt", "0 | aaaa\n");
    fs::last_write_time(source, readTime);
    EntryTable table;
    SourceFile read;
    ASSERT_TRUE(loadLanguage(folder.path(), "X", &table, &read).ok());
    change();
    EXPECT_EQ(writeLanguage(folder.path(), "X", table, &read).message(),
              "File langX.txt could not be read");
    EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
    EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
  }
}

TEST(DurableWriteTest, AppendKeepsTheFileItsLinksOwnerModeAndAttributes) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\n");
  const fs::path path = folder.path() / "langX.txt";
  fs::create_hard_link(path, folder.path() / "other.txt");
  const Owner owner = anotherOwner();
  ASSERT_EQ(chown(path.c_str(), owner.user, owner.group), 0);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const bool attributes =
      setxattr(path.c_str(), "user.note", "kept", 4, 0) == 0;
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);

  const ReadResult read = readFile(path);
  ASSERT_TRUE(appendToFile(path, read.identity, read.text.view(), "1 | b\n"));
  EXPECT_EQ(folder.read("langX.txt"), "0 | a\n1 | b\n");
  EXPECT_EQ(folder.read("other.txt"), "0 | a\n1 | b\n");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(modeOf(path), 0640u);
  EXPECT_EQ(ownerOf(path), owner);
  if (attributes) {
    char note[8] = {};
    EXPECT_EQ(getxattr(path.c_str(), "user.note", note, sizeof note), 4);
    EXPECT_EQ(std::string(note), "kept");
  }
}

TEST(DurableWriteTest, NewFileHasTheModeOfAnyNewFile) {
  for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
    TestFolder folder;
    folder.write("langX.txt", "0 | a\n");
    {
      ScopedUmask scoped(mask);
      ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
    }
    EXPECT_EQ(modeOf(folder.path() / "LangX.lng"), 0666 & ~mask);
  }
}

TEST(DurableWriteTest, NewFileNeverTakesAnExistingName) {
  TestFolder folder;
  folder.write("taken", "kept");
  folder.write("outside", "outside kept");
  fs::create_symlink(folder.path() / "outside", folder.path() / "link");
  fs::create_symlink(folder.path() / "nowhere", folder.path() / "dangling");
  for (const char* name : {"taken", "link", "dangling"}) {
    bool exists = false;
    const os::ScopedHandle file =
        os::createNewFile(folder.path() / name, &exists);
    EXPECT_FALSE(file.open()) << name;
    EXPECT_TRUE(exists) << name;
  }
  EXPECT_EQ(folder.read("taken"), "kept");
  EXPECT_EQ(folder.read("outside"), "outside kept");
  EXPECT_FALSE(fs::exists(folder.path() / "nowhere"));
}

TEST(DurableWriteTest, LongestNamesCompile) {
  // "Lang" + name + ".lng" is up to 255 bytes, the longest file name: the
  // temporary name must not be longer.
  for (const std::size_t length : {240, 247}) {
    TestFolder folder;
    const std::string name(length, 'n');
    folder.write("lang" + name + ".txt", "0 | a\n");
    const CompileResult result = compileLanguage(folder.path(), name);
    ASSERT_TRUE(result.ok()) << length << ": " << result.message();
    EXPECT_EQ(folder.read("Lang" + name + ".lng"), "\r\na\r\n");
    EXPECT_EQ(folder.names().size(), 2u);
  }
}

TEST(ReadFileTest, PipesDevicesAndFoldersAreNotFilesAndNeverBlock) {
  TestFolder folder;
  ASSERT_EQ(mkfifo((folder.path() / "pipe").c_str(), 0600), 0);
  fs::create_directory(folder.path() / "folder");
  for (const fs::path& path :
       {folder.path() / "pipe", fs::path("/dev/zero"), folder.path() / "folder",
        folder.path() / "absent"}) {
    EXPECT_EQ(readFile(path).status, ReadStatus::kNotAFile) << path;
  }
}

TEST(ReadFileTest, FileLongerThanItsSizeIsUnreadable) {
  // Files under /proc say they hold 0 bytes and then give more.
  if (!fs::exists("/proc/self/status")) GTEST_SKIP() << "no /proc";
  EXPECT_EQ(readFile("/proc/self/status").status, ReadStatus::kUnreadable);
}

TEST(ReadFileTest, SourceGrowingWhileReadIsNotCompiled) {
  TestFolder folder;
  std::string source;
  for (int i = 0; i < 400000; ++i) {
    source += std::to_string(i) + " | text of line " + std::to_string(i) + "\n";
  }
  folder.write("langX.txt", source);
  folder.write("LangX.lng", "earlier\r\n");
  // Another program appends to the source all the while.
  std::atomic<bool> stop{false};
  std::thread appender([&] {
    std::ofstream out(folder.path() / "langX.txt",
                      std::ios::binary | std::ios::app);
    for (int i = 400000; !stop; ++i) {
      out << i << " | more\n" << std::flush;
    }
  });
  int unreadable = 0;
  for (int round = 0; round < 5; ++round) {
    const CompileResult result = compileLanguage(folder.path(), "X");
    if (result.ok()) continue;  // the appender was not scheduled meanwhile
    EXPECT_EQ(result.message(), "File langX.txt could not be read");
    ++unreadable;
  }
  stop = true;
  appender.join();
  EXPECT_GT(unreadable, 0);
}

#if defined(__SANITIZE_ADDRESS__)
#define PARLAVOX_ADDRESS_SPACE_UNLIMITED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARLAVOX_ADDRESS_SPACE_UNLIMITED 1
#endif
#endif

// Compiles "X" in `folder` with room for what the process has mapped now and
// `room` bytes more.
[[maybe_unused]] CompileResult compileWithRoomFor(const TestFolder& folder,
                                                  std::size_t room) {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  rlimit saved{};
  getrlimit(RLIMIT_AS, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + room);
  EXPECT_EQ(setrlimit(RLIMIT_AS, &lowered), 0);
  CompileResult result = compileLanguage(folder.path(), "X");
  setrlimit(RLIMIT_AS, &saved);
  return result;
}

TEST(DurableWriteTest, SourceOrTableLargerThanMemoryIsUnreadable) {
#if defined(PARLAVOX_ADDRESS_SPACE_UNLIMITED)
  GTEST_SKIP() << "AddressSanitizer needs an unlimited address space";
#else
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  {
    // The source itself does not fit: 256 MB, sparse on the disk.
    TestFolder folder;
    {
      std::ofstream out(folder.path() / "langX.txt", std::ios::binary);
      out.seekp(static_cast<std::streamoff>(256 * kMegabyte - 1));
      out.put('\n');
    }
    folder.write("LangX.lng", "earlier\r\n");
    EXPECT_EQ(compileWithRoomFor(folder, 64 * kMegabyte).message(),
              "File langX.txt could not be read");
    EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
    EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
  }
  {
    // The source fits, its table of a million entries does not: reversed,
    // every text waits for line number 0.
    TestFolder folder;
    std::string source;
    for (int i = 1000000; i-- > 0;) source += std::to_string(i) + "|a\n";
    folder.write("langX.txt", source);
    folder.write("LangX.lng", "earlier\r\n");
    EXPECT_EQ(
        compileWithRoomFor(folder, source.size() + 4 * kMegabyte).message(),
        "File langX.txt could not be read");
    EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
    EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));

    // In number order without a Charset line, the texts wait for one only
    // within a bound that counts what each costs besides its bytes.
    std::string inOrder;
    for (int i = 0; i < 1000000; ++i) inOrder += std::to_string(i) + "|a\n";
    folder.write("langX.txt", inOrder);
    EXPECT_TRUE(compileWithRoomFor(folder, source.size() + 4 * kMegabyte).ok());
    EXPECT_EQ(folder.read("LangX.lng").size(), 2 + 3 * 1000000u);
  }
#endif
}

}  // namespace
}  // namespace parlavox

#endif  // !defined(_WIN32)
