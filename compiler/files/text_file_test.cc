#include "compiler/files/text_file.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/files/file_blocks.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

TEST(LoadFileTest, EmptyFileIsEmptyTextNotAFailure) {
  TestFolder folder;
  folder.write("empty.txt", "");
  const auto content = loadFile(folder.path() / "empty.txt");
  ASSERT_TRUE(content.has_value());
  EXPECT_EQ(*content, "");
}

TEST(LoadFileTest, MissingFileIsAFailure) {
  TestFolder folder;
  EXPECT_FALSE(loadFile(folder.path() / "absent.txt").has_value());
}

TEST(LoadFileTest, EveryByteValueReadsBack) {
  TestFolder folder;
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += "\r\n\r";
  folder.write("all.txt", bytes);
  EXPECT_EQ(loadFile(folder.path() / "all.txt"), bytes);
}

TEST(LoadFileTest, FileThatCannotBeReadIsAFailure) {
  // Reading this file fails with an I/O error, even for root.
  const std::filesystem::path unreadable = "/proc/self/mem";
  if (!std::filesystem::exists(unreadable)) GTEST_SKIP() << "no /proc";
  EXPECT_FALSE(loadFile(unreadable).has_value());
}

TEST(ReadInBlocksTest, HandsOnEveryByteInOrderOrStopsWhereTold) {
  TestFolder folder;
  std::string bytes;
  for (std::size_t i = 0; i < 3 * kSourceBlockSize + 17; ++i) {
    bytes += static_cast<char>(i * 7 % 251);
  }
  folder.write("big.txt", bytes);
  FileBlocks file(folder.path() / "big.txt");
  std::string taken;
  std::size_t blocks = 0;
  const ReadResult read = readInBlocks(&file, [&](std::string_view block) {
    taken.append(block);
    ++blocks;
    return true;
  });
  EXPECT_EQ(read.status, ReadStatus::kRead);
  EXPECT_EQ(read.identity, identityOf(folder.path() / "big.txt"));
  EXPECT_EQ(taken, bytes);
  EXPECT_EQ(blocks, 4u);

  FileBlocks again(folder.path() / "big.txt");
  blocks = 0;
  EXPECT_EQ(readInBlocks(&again, [&](std::string_view) { return ++blocks < 2; })
                .status,
            ReadStatus::kRead);
  EXPECT_EQ(blocks, 2u);

  FileBlocks missing(folder.path() / "absent.txt");
  EXPECT_EQ(
      readInBlocks(&missing, [](std::string_view) { return true; }).status,
      ReadStatus::kNotAFile);
}

TEST(SaveFileTest, AppendsOneCrLfAndNothingElse) {
  TestFolder folder;
  ASSERT_TRUE(saveFile(folder.path() / "out.lng", "a\r\nb"));
  EXPECT_EQ(folder.read("out.lng"), "a\r\nb\r\n");
}

TEST(SaveFileTest, ReplacesALongerFileAndLeavesNoTemporaryFile) {
  TestFolder folder;
  folder.write("out.lng", std::string(1000, 'x'));
  ASSERT_TRUE(saveFile(folder.path() / "out.lng", "new"));
  EXPECT_EQ(folder.read("out.lng"), "new\r\n");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.lng"});
}

TEST(SaveFileTest, FolderInTheWayIsAFailureAndStaysAsItWas) {
  TestFolder folder;
  std::filesystem::create_directory(folder.path() / "out.lng");
  folder.write("out.lng/inside", "kept");
  EXPECT_FALSE(saveFile(folder.path() / "out.lng", "new"));
  EXPECT_EQ(folder.read("out.lng/inside"), "kept");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.lng"});
}

TEST(SaveFileTest, MissingFolderIsAFailure) {
  TestFolder folder;
  EXPECT_FALSE(saveFile(folder.path() / "absent" / "out.lng", "new"));
  EXPECT_TRUE(folder.names().empty());
}

std::vector<std::string_view> parts(std::initializer_list<std::string_view> p) {
  return p;
}

TEST(ReplaceFileTest, WritesThePartsAndNothingElse) {
  TestFolder folder;
  folder.write("langX.txt", std::string(1000, 'x'));
  ASSERT_TRUE(replaceFile(folder.path() / "langX.txt",
                          parts({"0 | a\r", "", std::string_view("\0\n", 2)})));
  EXPECT_EQ(folder.read("langX.txt"), std::string("0 | a\r\0\n", 8));
  EXPECT_EQ(folder.names(), std::vector<std::string>{"langX.txt"});
  ASSERT_TRUE(replaceFile(folder.path() / "langY.txt", parts({})));
  EXPECT_EQ(folder.read("langY.txt"), "");
}

// Windows keeps only a read-only flag.
#if !defined(_WIN32)
TEST(ReplaceFileTest, KeepsThePermissions) {
  namespace fs = std::filesystem;
  TestFolder folder;
  folder.write("langX.txt", "old");
  const fs::perms kept =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(folder.path() / "langX.txt", kept);
  ASSERT_TRUE(replaceFile(folder.path() / "langX.txt", parts({"new"})));
  EXPECT_EQ(fs::status(folder.path() / "langX.txt").permissions(), kept);
}
#endif

TEST(ReplaceFileTest, FailureLeavesTheFolderAsItWas) {
  TestFolder folder;
  std::filesystem::create_directory(folder.path() / "langX.txt");
  folder.write("langX.txt/inside", "kept");
  EXPECT_FALSE(replaceFile(folder.path() / "langX.txt", parts({"new"})));
  EXPECT_EQ(folder.read("langX.txt/inside"), "kept");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"langX.txt"});
  EXPECT_FALSE(
      replaceFile(folder.path() / "absent" / "langX.txt", parts({"new"})));
  EXPECT_EQ(folder.names(), std::vector<std::string>{"langX.txt"});
}

TEST(ReplaceFileTest, PartsFollowOneAnotherAcrossBlocks) {
  // Small parts fill blocks; a part larger than a block goes out on its own.
  TestFolder folder;
  const std::string large(600 << 10, 'L');
  std::string expected;
  std::vector<std::string_view> parts;
  parts.reserve(40002);
  for (int i = 0; i < 40000; ++i) parts.emplace_back("abc\r\n");
  parts.emplace_back(large);
  parts.emplace_back("end");
  for (std::string_view part : parts) expected += part;
  ASSERT_TRUE(replaceFile(folder.path() / "out.lng", parts));
  EXPECT_EQ(folder.read("out.lng"), expected);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.lng"});
}

TEST(ReplaceFileTest, WritesOfEverySizeKeepTheirBytesAndOrder) {
  // Sizes around the block (256 KB) and far from it, in an order that fills
  // blocks unevenly; each byte tells its place, so that a block lost,
  // doubled or written out of turn shows.
  constexpr std::size_t kBlock = 256 << 10;
  const std::size_t sizes[] = {
      1,          kBlock - 1, 1,       kBlock, kBlock + 1, 0,    17,
      kBlock / 2, kBlock / 2, 3 << 20, 5,      kBlock - 5, 4096, 1};
  std::string expected;
  for (int round = 0; round < 6; ++round) {
    for (std::size_t size : sizes) {
      for (std::size_t i = 0; i < size; ++i) {
        const std::size_t at = expected.size();
        expected += static_cast<char>((at ^ (at >> 8) ^ (at >> 16)) & 0xFF);
      }
    }
  }
  TestFolder folder;
  ASSERT_TRUE(replaceFileWith(folder.path() / "out.lng", [&](FileWriter& w) {
    std::size_t at = 0;
    for (int round = 0; round < 6; ++round) {
      for (std::size_t size : sizes) {
        w.write(std::string_view(expected).substr(at, size));
        at += size;
      }
    }
  }));
  EXPECT_TRUE(folder.read("out.lng") == expected);
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.lng"});
}

TEST(ReplaceFileTest, NoPartsMakeAnEmptyFile) {
  TestFolder folder;
  folder.write("out.lng", "old");
  ASSERT_TRUE(replaceFile(folder.path() / "out.lng", {}));
  EXPECT_EQ(folder.read("out.lng"), "");
}

TEST(ReplaceFileTest, ManyReplacementsLeaveOnlyTheFile) {
  // Each temporary name is new; none is left behind.
  TestFolder folder;
  for (int i = 0; i < 200; ++i) {
    const std::string text = std::to_string(i);
    const std::array<std::string_view, 1> parts = {text};
    ASSERT_TRUE(replaceFile(folder.path() / "out.lng", parts));
  }
  EXPECT_EQ(folder.read("out.lng"), "199");
  EXPECT_EQ(folder.names(), std::vector<std::string>{"out.lng"});
}

// Sets the modification time of `path` to `modified`, in FileIdentity's
// unit, exactly.
void setModified(const std::filesystem::path& path, std::int64_t modified) {
#if defined(_WIN32)
  HANDLE file =
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME time{};
  time.dwLowDateTime = static_cast<DWORD>(modified);
  time.dwHighDateTime = static_cast<DWORD>(modified >> 32);
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
#else
  const timespec times[2] = {{0, UTIME_OMIT},
                             {static_cast<time_t>(modified / 1000000000),
                              static_cast<long>(modified % 1000000000)}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
#endif
}

// Appending to a file that was read: what it writes, and what it refuses.
class AppendToFileTest : public ::testing::Test {
 protected:
  AppendToFileTest() {
    folder_.write("langX.txt", kOld);
    read_ = readFile(path());
  }

  std::filesystem::path path() const { return folder_.path() / "langX.txt"; }

  WriteResult append() {
    return appendToFile(path(), read_.identity, read_.text.view(), kAdded);
  }

  static constexpr std::string_view kOld = "0 | alt\r\n1 | ok\r\n";
  static constexpr std::string_view kAdded = "2 | neu\r\n";

  TestFolder folder_;
  ReadResult read_;
};

TEST_F(AppendToFileTest, AddsTheBytesToTheSameFile) {
  ASSERT_EQ(read_.status, ReadStatus::kRead);
  ASSERT_TRUE(append());
  EXPECT_EQ(folder_.read("langX.txt"), std::string(kOld) + std::string(kAdded));
  const std::optional<FileIdentity> now = identityOf(path());
  ASSERT_TRUE(now.has_value());
  EXPECT_EQ(now->index, read_.identity.index);
  EXPECT_EQ(now->size, kOld.size() + kAdded.size());
  EXPECT_EQ(folder_.names(), std::vector<std::string>{"langX.txt"});
}

TEST_F(AppendToFileTest, FileChangedSinceItWasReadIsLeftAlone) {
  namespace fs = std::filesystem;
  const std::int64_t readTime = read_.identity.modified;
  // Saved in place, same size, with another modification time.
  folder_.write("langX.txt", "0 | neu\r\n1 | ok\r\n");
  setModified(path(), readTime + 1);
  EXPECT_EQ(append().status, WriteStatus::kChanged);
  EXPECT_EQ(folder_.read("langX.txt"), "0 | neu\r\n1 | ok\r\n");

  // The same, its modification time set back: the change time tells.
  folder_.write("langX.txt", "0 | alt\r\n1 | OK\r\n");
  setModified(path(), readTime);
  ASSERT_EQ(identityOf(path())->modified, read_.identity.modified);
  EXPECT_NE(identityOf(path()), read_.identity);
  EXPECT_EQ(append().status, WriteStatus::kChanged);
  EXPECT_EQ(folder_.read("langX.txt"), "0 | alt\r\n1 | OK\r\n");

  // Saved as a new file renamed over the old, same bytes and time.
  folder_.write("saved.txt", kOld);
  setModified(folder_.path() / "saved.txt", readTime);
  fs::rename(folder_.path() / "saved.txt", path());
  EXPECT_EQ(append().status, WriteStatus::kChanged);
  EXPECT_EQ(folder_.read("langX.txt"), kOld);

  // Grown, and gone.
  folder_.write("langX.txt", std::string(kOld) + "2 | x\r\n");
  EXPECT_EQ(append().status, WriteStatus::kChanged);
  fs::remove(path());
  EXPECT_EQ(append().status, WriteStatus::kChanged);
  EXPECT_EQ(folder_.names(), std::vector<std::string>{});
}

}  // namespace
}  // namespace parlavox
