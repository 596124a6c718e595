#include "cli/wildcards.h"

#include <gtest/gtest.h>

#include "compiler/compile.h"
#include "compiler/files/file_names.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

// Each argument's text, with "(q)" after those that were quoted.
std::vector<std::string> split(std::u16string_view line) {
  std::vector<std::string> shown;
  for (const CommandLineArgument& arg : splitWindowsCommandLine(line)) {
    shown.push_back(arg.text + (arg.quoted ? "(q)" : ""));
  }
  return shown;
}

TEST(SplitWindowsCommandLineTest, SpacesSeparateAndQuotesAreMarked) {
  EXPECT_EQ(split(u"lngc.exe  lang*.txt\t\"lang*.txt\" a\"b c\"d  "),
            (std::vector<std::string>{"lngc.exe", "lang*.txt", "lang*.txt(q)",
                                      "ab cd(q)"}));
  EXPECT_EQ(split(u"\"C:\\Program Files\\lngc.exe\" x"),
            (std::vector<std::string>{"C:\\Program Files\\lngc.exe(q)", "x"}));
  EXPECT_EQ(split(u"lngc \"\""), (std::vector<std::string>{"lngc", "(q)"}));
}

TEST(SplitWindowsCommandLineTest, BackslashesEscapeOnlyBeforeAQuote) {
  // The program's name takes backslashes as they are.
  EXPECT_EQ(split(u"C:\\tools\\lngc.exe a\\b\\\\c"),
            (std::vector<std::string>{"C:\\tools\\lngc.exe", "a\\b\\\\c"}));
  // 2N+1 backslashes and a quote: N and a literal quote, not quoting.
  EXPECT_EQ(split(u"lngc a\\\"b \\\\\\\"c"),
            (std::vector<std::string>{"lngc", "a\"b", "\\\"c"}));
  // 2N backslashes and a quote: N, and the quote opens.
  EXPECT_EQ(split(u"lngc \"dir\\\\\" x"),
            (std::vector<std::string>{"lngc", "dir\\(q)", "x"}));
  // Two quotes inside quotes: one literal quote, still quoted.
  EXPECT_EQ(split(u"lngc \"a\"\"b c\""),
            (std::vector<std::string>{"lngc", "a\"b c(q)"}));
}

TEST(SplitWindowsCommandLineTest, NamesOutsideTheCodePageBecomeUtf8) {
  EXPECT_EQ(split(u"lngc lang\u0420\u0443*.txt"),
            (std::vector<std::string>{"lngc", "lang\xD0\xA0\xD1\x83*.txt"}));
}

TEST(MatchesWildcardTest, StarAndQuestionMark) {
  EXPECT_TRUE(matchesWildcard("lang*.txt", "langDeutsch.txt"));
  EXPECT_TRUE(matchesWildcard("lang*.txt", "lang.txt"));
  EXPECT_TRUE(matchesWildcard("LANG*.TXT", "langDeutsch.txt"));
  EXPECT_TRUE(matchesWildcard("*a*a*", "banana"));
  EXPECT_TRUE(matchesWildcard("lang?.txt", "langA.txt"));
  EXPECT_FALSE(matchesWildcard("lang?.txt", "lang.txt"));
  EXPECT_FALSE(matchesWildcard("lang?.txt", "langAB.txt"));
  EXPECT_FALSE(matchesWildcard("lang*.txt", "langnotes.doc"));
  EXPECT_FALSE(matchesWildcard("lang*.txt", "langA.txt.bak"));
  EXPECT_FALSE(matchesWildcard("*.txt", "a.tx"));
  // One `?` for one character of a Cyrillic name, which on Windows matches
  // in either case, as the file system compares names.
  EXPECT_TRUE(matchesWildcard("lang??.txt", "lang\xD0\xA0\xD1\x83.txt"));
#ifdef _WIN32
  EXPECT_TRUE(matchesWildcard("lang\xD1\x80*", "lang\xD0\xA0\xD1\x83.txt"));
#else
  EXPECT_FALSE(matchesWildcard("lang\xD1\x80*", "lang\xD0\xA0\xD1\x83.txt"));
#endif
}

TEST(ExpandWildcardTest, MatchesInByteOrderUnderTheFolderAsWritten) {
  TestFolder folder;
  for (const char* name : {"langb.txt", "langA.txt", "langnotes.doc",
                           "lang\xD0\xA0.txt", "other.txt"}) {
    folder.write(name, "0 | a\n");
  }
  std::filesystem::create_directory(folder.path() / "langDir.txt");
  const std::string base = bytesFromPath(folder.path()) + "/";
  EXPECT_EQ(expandWildcard(base + "lang*.txt"),
            (std::vector<std::string>{base + "langA.txt", base + "langb.txt",
                                      base + "lang\xD0\xA0.txt"}));
  EXPECT_EQ(expandWildcard(base + "*.doc"),
            (std::vector<std::string>{base + "langnotes.doc"}));
  EXPECT_EQ(expandWildcard(base + "*.lng"), std::vector<std::string>{});
  EXPECT_EQ(expandWildcard(base + "missing/*.txt"), std::vector<std::string>{});
}

}  // namespace
}  // namespace parlavox
