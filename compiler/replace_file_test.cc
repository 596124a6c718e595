// The compiled file replaces only a plain file, and temporary files that a
// killed compile left behind go with the next compile of that file.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compiler/compile.h"
#include "compiler/files/file_system.h"
#include "compiler/files/test_folder.h"
#include "compiler/files/text_file.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace parlavox {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr std::string_view kNotAFolder =
    "File LangX.lng could not be written: it is a folder, not a file";

TEST(ReplaceFileTest, OnlyAPlainFileIsReplaced) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\r\n");
  fs::create_directory(folder.path() / "LangX.lng");
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(), kNotAFolder);
  EXPECT_TRUE(fs::is_directory(folder.path() / "LangX.lng"));
  EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
}

#if !defined(_WIN32)
TEST(ReplaceFileTest, ALinkToAnythingButAPlainFileIsKept) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\r\n");
  const fs::path output = folder.path() / "LangX.lng";
  fs::create_directory(folder.path() / "sub");
  ASSERT_EQ(mkfifo((folder.path() / "pipe").c_str(), 0644), 0);
  const std::vector<std::pair<fs::path, std::string>> nodes = {
      {"/dev/null", "a device"},
      {folder.path() / "pipe", "a pipe"},
      {folder.path() / "sub", "a folder"},
  };
  for (const auto& [node, what] : nodes) {
    fs::remove(output);
    fs::create_symlink(node, output);
    EXPECT_EQ(
        compileLanguage(folder.path(), "X").message(),
        "File LangX.lng could not be written: it is " + what + ", not a file")
        << node;
    EXPECT_TRUE(fs::is_symlink(output)) << node;
    EXPECT_EQ(fs::read_symlink(output), node);
    EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt", "pipe", "sub"}))
        << node;
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(folder.path() / "pipe"));
  EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));

  // A link to a plain file, or to none yet, is written through as before.
  fs::remove(output);
  fs::create_symlink("made.lng", output);
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("made.lng"), "\r\na\r\n");
  folder.write("langX.txt", "0 | b\r\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("made.lng"), "\r\nb\r\n");
  EXPECT_TRUE(fs::is_symlink(output));
}

// A pipe takes the name after the first look, while the new file is
// written: with an earlier file in its place, and with none.
TEST(ReplaceFileTest, APipeThatTakesTheNameMeanwhileIsKept) {
  for (const bool earlier : {true, false}) {
    SCOPED_TRACE(earlier ? "over an earlier file" : "with none");
    TestFolder folder;
    const fs::path output = folder.path() / "out.lng";
    if (earlier) folder.write("out.lng", "earlier");
    const WriteResult written = replaceFileWith(
        output, [](FileWriter& writer) { writer.write("new"); },
        [&] {
          fs::remove(output);
          return mkfifo(output.c_str(), 0600) == 0;
        });
    EXPECT_EQ(written.status, WriteStatus::kNotAFile);
    EXPECT_EQ(written.node, NodeKind::kPipe);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(output)));
    EXPECT_EQ(folder.names(), Names{"out.lng"});
  }
}
#endif

TEST(ReplaceFileTest, TemporaryFilesAKilledCompileLeftAreRemoved) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\r\n");
  folder.write("LangX.lng", "earlier\r\n");
  // Left by killed compiles of LangX.lng, of another file, and names that
  // only look alike.
  folder.write(".LangX.lng.93ab1461.tmp", "cut");
  folder.write(".LangX.lng.0000ffff.tmp", "");
  folder.write(".LangY.lng.93ab1461.tmp", "other");
  folder.write(".LangX.lng.93ab146g.tmp", "no digit");
  folder.write(".LangX.lng.tmp", "short");
  folder.write(".93ab1461.tmp", "old form");
  // One a live compile is writing.
  bool exists = false;
  const os::ScopedHandle live =
      os::createNewFile(folder.path() / ".LangX.lng.5555aaaa.tmp", &exists);
  ASSERT_TRUE(live.open());
  const os::ScopedHandle mark = os::markInUse(live.get());

  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\na\r\n");
  EXPECT_EQ(folder.names(),
            (Names{".93ab1461.tmp", ".LangX.lng.5555aaaa.tmp",
                   ".LangX.lng.93ab146g.tmp", ".LangX.lng.tmp",
                   ".LangY.lng.93ab1461.tmp", "LangX.lng", "langX.txt"}));
}

TEST(ReplaceFileTest, AFailedCompileRemovesThemToo) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\r\n0 | b\r\n");
  folder.write(".LangX.lng.93ab1461.tmp", "cut");
  EXPECT_FALSE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.names(), Names{"langX.txt"});
}

TEST(ReplaceFileTest, ANameNearTheLongestStillCompiles) {
  // The temporary name then takes the short form, which fits.
  TestFolder folder;
  const std::string name(245, 'n');
  folder.write("lang" + name + ".txt", "0 | a\r\n");
  folder.write("Lang" + name + ".lng", "earlier\r\n");
  ASSERT_TRUE(compileLanguage(folder.path(), name).ok());
  EXPECT_EQ(folder.read("Lang" + name + ".lng"), "\r\na\r\n");
  EXPECT_EQ(folder.names().size(), 2u);
}

}  // namespace
}  // namespace parlavox
