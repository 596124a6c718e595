#include "compiler/checked_compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

constexpr char kReference[] =
    "Charset | 0\r\n0 | &File\r\n1 | &Save as %1 // %1 file type\r\n"
    "2 | %1 of %2\r\n3 | Exit\r\n";

// Each warning as "LINE: TEXT".
std::vector<std::string> warnings(const CheckedCompile& checked) {
  std::vector<std::string> shown;
  for (const Warning& warning : checked.warnings) {
    shown.push_back(std::to_string(warning.line) + ": " + warning.text);
  }
  return shown;
}

TEST(CheckedCompileTest, FindsWhatTheSourceAloneShows) {
  TestFolder folder;
  // UTF-8 without a Charset line, named for Polish: written as read.
  folder.write("langPolski.txt", "0 | Otw\xC3\xB3rz\r\n");
  const CheckedCompile checked = compileAndCheck(folder.path(), "Polski");
  ASSERT_TRUE(checked.result.ok());
  EXPECT_EQ(checked.source, "langPolski.txt");
  EXPECT_EQ(checked.reference, "");
  EXPECT_EQ(warnings(checked),
            (std::vector<std::string>{
                "0: without a Charset line the file is read as Western "
                "European, but Polish is written in Charset 238 (Central "
                "European)",
                "1: the file is saved as UTF-8, but without a Charset line it "
                "is read in Windows-1252 (ANSI, on a Western system): save it "
                "in that code page"}));
  EXPECT_EQ(folder.read("LangPolski.lng"), "\r\nOtw\xC3\xB3rz\r\n");
}

TEST(CheckedCompileTest, ChecksPlaceholdersAndLineNumbersAgainstTheReference) {
  TestFolder folder;
  folder.write("langenglish.txt", kReference);
  folder.write("langDeutsch.txt",
               "Charset | 0\r\n0 | &Datei\r\n1 | &Speichern unter\r\n");
  const CheckedCompile checked = compileAndCheck(folder.path(), "Deutsch");
  ASSERT_TRUE(checked.result.ok());
#ifndef _WIN32
  // Found as a source is found, case aside; on Windows the name is the file
  // system's to match.
  EXPECT_EQ(checked.reference, "langenglish.txt");
#endif
  EXPECT_EQ(warnings(checked),
            (std::vector<std::string>{
                "3: line number 1 uses no placeholder where the reference "
                "uses %1",
                "0: line numbers 2 to 3 of the reference are missing"}));
}

TEST(CheckedCompileTest, NothingToTellIsNoWarning) {
  TestFolder folder;
  folder.write("langDeutsch.txt",
               "Charset | 0\r\n0 | &Datei\r\n1 | &Speichern als %1\r\n"
               "2 | %2 von %1\r\n3 | Ende\r\n");
  EXPECT_TRUE(compileAndCheck(folder.path(), "Deutsch").warnings.empty());
  folder.write("langEnglish.txt", kReference);
  const CheckedCompile checked = compileAndCheck(folder.path(), "Deutsch");
  EXPECT_TRUE(checked.warnings.empty());
  EXPECT_EQ(checked.reference, "langEnglish.txt");
  // English is the reference itself, and is not checked against itself.
  folder.write("langEnglish.txt", "0 | a\r\n");
  EXPECT_EQ(compileAndCheck(folder.path(), "ENGLISH").reference, "");
  // A reference that does not compile is passed over in silence.
  folder.write("langEnglish.txt", "0 | a\r\n0 | b\r\n");
  const CheckedCompile broken = compileAndCheck(folder.path(), "Deutsch");
  EXPECT_TRUE(broken.result.ok());
  EXPECT_TRUE(broken.warnings.empty());
  EXPECT_EQ(broken.reference, "");
}

TEST(CheckedCompileTest, AFaultIsTheCompilesAndCarriesNoWarning) {
  TestFolder folder;
  folder.write("langEnglish.txt", kReference);
  folder.write("langPolski.txt",
               "Charset | 0\r\n0 | Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n");
  const CheckedCompile checked = compileAndCheck(folder.path(), "Polski");
  EXPECT_EQ(checked.result.message(),
            "character \"\xC5\xBC\" (U+017C) in line number 0 has no place in "
            "Windows-1252, the code page of Charset 0; every text fits Charset "
            "238 (Central European)");
  EXPECT_EQ(checked.result.line(), 2u);
  EXPECT_TRUE(checked.warnings.empty());
  EXPECT_FALSE(folder.exists("LangPolski.lng"));
}

}  // namespace
}  // namespace parlavox
