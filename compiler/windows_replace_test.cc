// Replacing the compiled file on Windows: a file another program holds open,
// as the application may hold its language file, or one marked read-only,
// is not replaced, and nothing is left behind; other attributes are kept.
// Each failure names its reason, as does a source held open. A name that
// leads to a folder, through a link too, or to a device is refused.

#include <gtest/gtest.h>

#if defined(_WIN32)

#include <windows.h>

#include "compiler/compile.h"
#include "compiler/files/test_folder.h"
#include "compiler/files/text_file.h"

namespace parlavox {
namespace {

using Names = std::vector<std::string>;

constexpr char kEarlier[] = "earlier\r\n";

class WindowsReplaceTest : public ::testing::Test {
 protected:
  WindowsReplaceTest() {
    folder_.write("langX.txt", "0 | new\n");
    folder_.write("LangX.lng", kEarlier);
  }

  std::wstring output() const {
    return (folder_.path() / "LangX.lng").wstring();
  }

  TestFolder folder_;
};

TEST_F(WindowsReplaceTest, OutputHeldOpenIsKept) {
  HANDLE held =
      CreateFileW(output().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const CompileResult result = compileLanguage(folder_.path(), "X");
  CloseHandle(held);
  EXPECT_EQ(result.message(),
            "File LangX.lng could not be written: another program has the "
            "file open");
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST_F(WindowsReplaceTest, ReadOnlyOutputIsKept) {
  ASSERT_TRUE(SetFileAttributesW(output().c_str(), FILE_ATTRIBUTE_READONLY));
  const CompileResult result = compileLanguage(folder_.path(), "X");
  EXPECT_NE(GetFileAttributesW(output().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  SetFileAttributesW(output().c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(result.message(),
            "File LangX.lng could not be written: the file is read-only");
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST_F(WindowsReplaceTest, SourceHeldOpenIsNotRead) {
  const std::wstring source = (folder_.path() / "langX.txt").wstring();
  HANDLE held =
      CreateFileW(source.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const CompileResult result = compileLanguage(folder_.path(), "X");
  CloseHandle(held);
  EXPECT_EQ(result.message(),
            "File langX.txt could not be read: another program has the file "
            "open");
  EXPECT_EQ(folder_.read("LangX.lng"), kEarlier);
}

TEST_F(WindowsReplaceTest, HiddenOutputStaysHidden) {
  ASSERT_TRUE(SetFileAttributesW(output().c_str(), FILE_ATTRIBUTE_HIDDEN));
  const CompileResult result = compileLanguage(folder_.path(), "X");
  ASSERT_TRUE(result.ok()) << result.message();
  EXPECT_EQ(folder_.read("LangX.lng"), "\r\nnew\r\n");
  EXPECT_NE(GetFileAttributesW(output().c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST_F(WindowsReplaceTest, LinkToAFolderIsRefusedAndKept) {
  std::filesystem::create_directory(folder_.path() / "kept");
  folder_.write("kept/inside", "kept");
  std::filesystem::remove(output());
  if (!CreateSymbolicLinkW(output().c_str(),
                           (folder_.path() / "kept").wstring().c_str(),
                           SYMBOLIC_LINK_FLAG_DIRECTORY |
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
    GTEST_SKIP() << "no symbolic link may be made here";
  }
  const DWORD attributes = GetFileAttributesW(output().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    GTEST_SKIP() << "the link made does not lead to the folder";
  }
  EXPECT_EQ(compileLanguage(folder_.path(), "X").message(),
            "File LangX.lng could not be written: it is a folder, not a file");
  EXPECT_EQ(folder_.read("kept/inside"), "kept");
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "kept", "langX.txt"}));
}

TEST_F(WindowsReplaceTest, TheNullDeviceIsRefused) {
  // NUL names the null device in every folder.
  const WriteResult written = saveFile(folder_.path() / "NUL", "never");
  EXPECT_EQ(written.status, WriteStatus::kNotAFile);
  EXPECT_EQ(written.node, NodeKind::kDevice);
  EXPECT_EQ(folder_.names(), (Names{"LangX.lng", "langX.txt"}));
}

}  // namespace
}  // namespace parlavox

#endif  // defined(_WIN32)
