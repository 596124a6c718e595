#include "compiler/compile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "compiler/files/file_names.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;

constexpr std::string_view kSource =
    "// Parlavox language file\r\n"
    "Charset | 238\r\n"
    "\r\n"
    "0 | Open // menu\r\n"
    "2 | Visit http://parlavox.example/help // link\r\n"
    "1 | Save %1 as %2\r\n";

TEST(CompileTest, WritesOneCrLfLinePerSlotCharsetFirst) {
  TestFolder folder;
  folder.write("langDeutsch.txt", kSource);
  const CompileResult result = compileLanguage(folder.path(), "Deutsch");
  ASSERT_TRUE(result.ok()) << result.message();
  EXPECT_EQ(folder.read("LangDeutsch.lng"),
            "238\r\nOpen\r\nSave %1 as %2\r\n"
            "Visit http://parlavox.example/help\r\n");
  EXPECT_EQ(folder.names(), (Names{"LangDeutsch.lng", "langDeutsch.txt"}));
}

TEST(CompileTest, ColonAndTwoBackslashesBecomeAnAddress) {
  TestFolder folder;
  folder.write("langX.txt", "0 | see a://b // note\n1 | c:\\\\d:\\\\\\\\e\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\nsee a://b\r\nc://d://\\\\e\r\n");
}

TEST(CompileTest, CompiledFileKeepsEveryByte) {
  TestFolder folder;
  folder.write("langX.txt", std::string("0 | \xC4\0\xFF\n", 8));
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), std::string("\r\n\xC4\0\xFF\r\n", 7));
}

TEST(CompileTest, EmptyNameCompilesLangTxtIntoLangLng) {
  TestFolder folder;
  folder.write("lang.txt", "0 | a\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "").ok());
  EXPECT_EQ(folder.read("Lang.lng"), "\r\na\r\n");
}

TEST(CompileTest, NonAsciiName) {
  TestFolder folder;
  folder.write(
      "langFran\xC3\xA7"
      "ais.txt",
      "0 | a\n");
  ASSERT_TRUE(compileLanguage(folder.path(),
                              "Fran\xC3\xA7"
                              "ais")
                  .ok());
  EXPECT_EQ(folder.read("LangFran\xC3\xA7"
                        "ais.lng"),
            "\r\na\r\n");
}

#ifdef _WIN32
// Names are UTF-8 inside the program, whatever the system's code page
// (Windows-1252 here), as the wide command line and the window pass them.
std::string readAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(CompileTest, NameOutsideTheCodePageCompilesIntoItsOwnFile) {
  TestFolder folder;
  const std::string russian =
      "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9";
  std::ofstream(
      folder.path() / L"lang\u0420\u0443\u0441\u0441\u043A\u0438\u0439.txt",
      std::ios::binary)
      << "0 | a\n";
  std::ofstream(folder.path() / L"lang\u0420.txt", std::ios::binary)
      << "0 | b\n";
  ASSERT_TRUE(compileLanguage(folder.path(), russian).ok());
  EXPECT_EQ(readAll(folder.path() /
                    L"Lang\u0420\u0443\u0441\u0441\u043A\u0438\u0439.lng"),
            "\r\na\r\n");
  EXPECT_EQ(compileLanguage(folder.path(), "\xE2\x82\xAC").message(),
            "File lang\xE2\x82\xAC.txt not found in this directory");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()),
                          fs::directory_iterator()),
            3);
}

TEST(CompileTest, NameInTheCodePageIsUtf8Too) {
  TestFolder folder;
  std::ofstream(folder.path() / L"langFran\u00E7ais.txt", std::ios::binary)
      << "0 | a\n";
  ASSERT_TRUE(compileLanguage(folder.path(),
                              "Fran\xC3\xA7"
                              "ais")
                  .ok());
  EXPECT_TRUE(fs::exists(folder.path() / L"LangFran\u00E7ais.lng"));
  // The same letter as a code-page byte is no UTF-8, and so no file's name.
  EXPECT_EQ(compileLanguage(folder.path(),
                            "Fran\xE7"
                            "ais")
                .message(),
            "Language name may not contain any of \\ / : * ? \" < > |");
}

TEST(CompileTest, PathsAndNamesConvertBothWays) {
  const std::string name = "\xF0\x9F\x8E\xB5\xED\xA0\x80z";  // U+1F3B5 U+D800 z
  EXPECT_EQ(pathFromBytes(name).native(), L"\U0001F3B5\xD800z");
  EXPECT_EQ(bytesFromPath(pathFromBytes(name)), name);
}

TEST(CompileTest, BackslashesAndDriveLetter) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\n");
  const std::string native = folder.path().string();
  ASSERT_EQ(native[1], ':');
  ASSERT_NE(native.find('\\'), std::string::npos);
  ASSERT_TRUE(compileLanguage(fs::path(native + "\\"), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\na\r\n");
}
#endif

TEST(CompileTest, SourceNameIsFoundWithoutRegardToCase) {
  TestFolder folder;
  folder.write("LangDeutsch.txt", "0 | upper\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "Deutsch").ok());
  EXPECT_EQ(folder.read("LangDeutsch.lng"), "\r\nupper\r\n");
}

// Whether `folder` tells "a" from "A".
bool caseSensitive(const TestFolder& folder) {
  folder.write("case", "");
  const bool sensitive = !folder.exists("CASE");
  fs::remove(folder.path() / "case");
  return sensitive;
}

TEST(CompileTest, ExactSourceNameComesFirstThenByteOrder) {
  TestFolder folder;
  if (!caseSensitive(folder)) GTEST_SKIP() << "one name in any case here";
  folder.write("LANGX.TXT", "0 | capitals\n");
  folder.write("LangX.txt", "0 | title\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\ncapitals\r\n");
  folder.write("langX.txt", "0 | exact\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\nexact\r\n");
}

TEST(CompileTest, ASourceNamedAsAFileIsThatFileWhateverItsCase) {
  TestFolder folder;
  if (!caseSensitive(folder)) GTEST_SKIP() << "one name in any case here";
  folder.write("langX.txt", "0 | exact\n");
  folder.write("LANGX.TXT", "0 | capitals\n");
  CompileOptions options;
  options.sourceFileName = "LANGX.TXT";
  ASSERT_TRUE(compileLanguage(folder.path(), "X", options).ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\ncapitals\r\n");
  EntryTable table;
  ASSERT_TRUE(
      loadLanguage(folder.path(), "X", &table, nullptr, "LANGX.TXT").ok());
  EXPECT_EQ(table[1], "capitals");
  // A name that is no file falls back to the search.
  options.sourceFileName = "Langx.txt";
  ASSERT_TRUE(compileLanguage(folder.path(), "X", options).ok());
  EXPECT_EQ(folder.read("LangX.lng"), "\r\nexact\r\n");
}

TEST(CompileFailureTest, SourceRewrittenWithItsTimePutBackIsUnreadable) {
  // What a restore or `touch -r` does between reading and writing: same
  // size, same modification time, other bytes.
  TestFolder folder;
  folder.write("langX.txt", "0 | alt\r\n");
  EntryTable table;
  SourceFile file;
  ASSERT_TRUE(loadLanguage(folder.path(), "X", &table, &file).ok());
  const fs::path source = folder.path() / "langX.txt";
  const fs::file_time_type time = fs::last_write_time(source);
  folder.write("langX.txt", "0 | neu\r\n");
  fs::last_write_time(source, time);
  const CompileResult result = writeLanguage(folder.path(), "X", table, &file);
  EXPECT_EQ(result.message(), "File langX.txt could not be read");
  EXPECT_FALSE(folder.exists("LangX.lng"));
}

TEST(CompileFailureTest, MissingSource) {
  TestFolder folder;
  const CompileResult result = compileLanguage(folder.path(), "Deutsch");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.message(),
            "File langDeutsch.txt not found in this directory");
  EXPECT_EQ(result.line(), 0u);
  EXPECT_TRUE(folder.names().empty());
}

TEST(CompileFailureTest, FolderNamedLikeTheSourceIsAbsent) {
  TestFolder folder;
  fs::create_directory(folder.path() / "langX.txt");
  fs::create_directory(folder.path() / "LangX.TXT");
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(),
            "File langX.txt not found in this directory");
}

TEST(CompileFailureTest, EmptySourceWhateverTheName) {
  TestFolder folder;
  folder.write("langDeutsch.txt", "");
  EXPECT_EQ(compileLanguage(folder.path(), "Deutsch").message(),
            "Lang.txt is empty. Not compiled");
  EXPECT_FALSE(folder.exists("LangDeutsch.lng"));
}

TEST(CompileFailureTest, UnreadableSourceIsNotEmpty) {
  TestFolder folder;
  std::error_code error;
  fs::create_symlink("/proc/self/mem", folder.path() / "langX.txt", error);
  if (error || !fs::is_regular_file(folder.path() / "langX.txt")) {
    GTEST_SKIP() << "no unreadable file to link to";
  }
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(),
            "File langX.txt could not be read");
  EXPECT_FALSE(folder.exists("LangX.lng"));
}

TEST(CompileFailureTest, NumberingFaultKeepsTheEarlierOutput) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\n\n0 | b\n");
  folder.write("LangX.lng", "earlier\r\n");
  const CompileResult result = compileLanguage(folder.path(), "X");
  EXPECT_EQ(result.message(), "double entry for line number 0");
  EXPECT_EQ(result.line(), 3u);
  EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
  EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST(CompileFailureTest, OutputInTheWayIsReportedAndLeftAsItWas) {
  TestFolder folder;
  folder.write("langX.txt", "0 | a\n");
  fs::create_directory(folder.path() / "LangX.lng");
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(),
            "File LangX.lng could not be written: it is a folder, not a file");
  EXPECT_TRUE(fs::is_directory(folder.path() / "LangX.lng"));
  EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
}

TEST(CompileFailureTest, NameWithPathOrWildcardCharacterTouchesNoFile) {
  TestFolder folder;
  fs::create_directory(folder.path() / "sub");
  folder.write("sub/langX.txt", "0 | a\n");
  const std::string kMessage =
      "Language name may not contain any of \\ / : * ? \" < > |";
  for (std::string name :
       {"../x", "a\\b", "c:d", "*", "?", "\"", "<", ">", "|", "sub/X"}) {
    EXPECT_EQ(compileLanguage(folder.path(), name).message(), kMessage) << name;
  }
  for (char control : {'\0', '\t', '\n', '\x1F', '\x7F'}) {
    EXPECT_EQ(compileLanguage(folder.path(), std::string("a") + control + "b")
                  .message(),
              kMessage)
        << int(control);
  }
  EXPECT_EQ(folder.names(), Names{"sub"});
  EXPECT_FALSE(fs::exists(folder.path() / "sub" / "LangX.lng"));
}

// A source of `count` entries, Charset first, in number order or reversed,
// and the compiled file it makes.
struct LargeSource {
  std::string text;
  std::string compiled;
};

LargeSource largeSource(int count, bool reversed) {
  LargeSource source;
  source.text = "// large\r\nCharset | 238\r\n";
  source.compiled = "238\r\n";
  std::vector<std::string> lines;
  for (int n = 0; n < count; ++n) {
    const std::string text = "text " + std::to_string(n) + " at a://b:\\\\c";
    lines.push_back(std::to_string(n) + " | " + text + " // note\r\n");
    source.compiled += "text " + std::to_string(n) + " at a://b://c\r\n";
  }
  if (reversed) std::reverse(lines.begin(), lines.end());
  for (const std::string& line : lines) source.text += line;
  return source;
}

TEST(StreamedCompileTest, BlocksOfAnySizeWriteTheSameFile) {
  TestFolder folder;
  folder.write("langDeutsch.txt", kSource);
  for (std::size_t blockSize = 1; blockSize <= 24; ++blockSize) {
    CompileOptions options;
    options.blockSize = blockSize;
    CompileReport report;
    ASSERT_TRUE(
        compileLanguage(folder.path(), "Deutsch", options, &report).ok());
    EXPECT_EQ(folder.read("LangDeutsch.lng"),
              "238\r\nOpen\r\nSave %1 as %2\r\n"
              "Visit http://parlavox.example/help\r\n")
        << blockSize;
    EXPECT_TRUE(report.scanned);
    EXPECT_EQ(report.lineCount, 3u);
  }
}

TEST(StreamedCompileTest, InOrderAndReversedSourcesWriteTheSameBytes) {
  // Far more than the block the source is read in, and than the one the
  // compiled file is written in.
  for (bool reversed : {false, true}) {
    TestFolder folder;
    const LargeSource source = largeSource(60000, reversed);
    folder.write("langX.txt", source.text);
    ASSERT_TRUE(compileLanguage(folder.path(), "X").ok()) << reversed;
    EXPECT_TRUE(folder.read("LangX.lng") == source.compiled) << reversed;
  }
}

TEST(StreamedCompileTest, SourcesBeyondAsciiAreReadInTheirEncoding) {
  TestFolder folder;
  // UTF-8, written in the Charset's code page: read whole after the first
  // byte beyond ASCII, however far into the source it comes.
  const std::string padding(3 << 20, 'x');
  folder.write("langX.txt", "Charset | 238\n0 | " + padding +
                                "\n1 | Za\xC5\xBC\xC3\xB3\xC5\x82\n");
  CompileOptions small;
  small.blockSize = 64;
  for (const CompileOptions& options : {CompileOptions{}, small}) {
    ASSERT_TRUE(compileLanguage(folder.path(), "X", options).ok());
    EXPECT_TRUE(folder.read("LangX.lng") ==
                "238\r\n" + padding + "\r\nZa\xBF\xF3\xB3\r\n");
  }
  // A fault before that byte is the source's first all the same.
  folder.write("langX.txt", "0 | a\n0 | b\n1 | \xC5\xBC\n");
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(),
            "double entry for line number 0");
  // A double-byte character whose second byte is "|" stays in its text.
  folder.write("langX.txt", "Charset | 128\n0 | \x83\x7C\n1 | b\n");
  ASSERT_TRUE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "128\r\n\x83\x7C\r\nb\r\n");
}

TEST(StreamedCompileTest, FaultAfterMuchWasWrittenKeepsTheEarlierOutput) {
  TestFolder folder;
  const LargeSource source = largeSource(60000, false);
  folder.write("langX.txt", source.text + "\r\n59999 | again\r\n");
  folder.write("LangX.lng", "earlier\r\n");
  const CompileResult result = compileLanguage(folder.path(), "X");
  EXPECT_EQ(result.message(), "double entry for line number 59999");
  EXPECT_EQ(result.line(), 60004u);
  EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
  EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));

  folder.write("langX.txt", source.text + "60001 | gap\r\n");
  EXPECT_EQ(compileLanguage(folder.path(), "X").message(),
            "entry for line number 60000 missing");
  EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
  EXPECT_EQ(folder.names(), (Names{"LangX.lng", "langX.txt"}));
}

// What `source` comes to, compiled in one pass and loaded whole, which
// must agree: the compiled file, or the fault's line and message.
std::string compiledBothWays(const std::string& source) {
  TestFolder folder;
  folder.write("langX.txt", source);
  const CompileResult streamed = compileLanguage(folder.path(), "X");
  std::string streamedResult =
      streamed.ok() ? folder.read("LangX.lng")
                    : "fault " + std::to_string(streamed.line()) + ": " +
                          streamed.message();
  EntryTable table;
  SourceFile file;
  CompileResult whole = loadLanguage(folder.path(), "X", &table, &file);
  if (whole.ok()) {
    fs::remove(folder.path() / "LangX.lng");
    whole = writeLanguage(folder.path(), "X", table, &file);
  }
  const std::string wholeResult =
      whole.ok()
          ? folder.read("LangX.lng")
          : "fault " + std::to_string(whole.line()) + ": " + whole.message();
  EXPECT_EQ(streamedResult, wholeResult) << source;
  return streamedResult;
}

TEST(CompileFailureTest, TwentyDigitLineNumbersAreBeyondAnyTable) {
  // 2^64 and 2^64 + 1 would be 0 and 1 if they wrapped around; no table
  // reaches them, so the lowest number without a text is the fault, as for
  // any number too large. The same with a byte beyond ASCII, which the
  // compile reads in its encoding.
  for (const std::string high : {"a", "\xE9"}) {
    const std::string zero = "0 | " + high + "\n";
    EXPECT_EQ(compiledBothWays(zero + "18446744073709551616 | x\n"),
              "fault 0: entry for line number 1 missing");
    EXPECT_EQ(compiledBothWays(zero + "18446744073709551617 | x\n"),
              "fault 0: entry for line number 1 missing");
    EXPECT_EQ(compiledBothWays(zero + "99999999999999999999 | x\n"),
              "fault 0: entry for line number 1 missing");
    EXPECT_EQ(compiledBothWays(zero + "1 | b\n18446744073709551617 | x\n"),
              "fault 0: entry for line number 2 missing");
    // Two of them are still one line number given twice.
    EXPECT_EQ(compiledBothWays(zero + "18446744073709551616 | x\n"
                                      "018446744073709551616 | y\n"),
              "fault 3: double entry for line number 018446744073709551616");
    // Twenty digits of which leading zeros make most are a small number.
    EXPECT_EQ(compiledBothWays(zero + "00000000000000000001 | b\n"),
              "\r\n" + high + "\r\nb\r\n");
  }
}

}  // namespace
}  // namespace parlavox
