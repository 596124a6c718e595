#include "compiler/files/source_append.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "compiler/compile.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using std::chrono::milliseconds;

constexpr std::string_view kOld = "0 | Datei\r\n";
constexpr std::string_view kLines =
    "// New in the reference, to be translated:\r\n"
    "1 | English text\r\n"
    "2 | Help\r\n";

class CutAppendTest : public ::testing::Test {
 protected:
  CutAppendTest() { folder_.write("langDeutsch.txt", kOld); }

  fs::path source() const { return folder_.path() / "langDeutsch.txt"; }

  // Leaves what a kill during the append leaves: the journal, and the
  // first `present` bytes of the lines in the source.
  void cutAfter(std::size_t present) {
    const std::optional<FileIdentity> read = identityOf(source());
    ASSERT_TRUE(read.has_value());
    folder_.write(".langDeutsch.txt.append", journalFor(*read, kLines));
    if (present != 0) {
      ASSERT_TRUE(
          appendToFile(source(), *read, kOld, kLines.substr(0, present)));
    }
  }

  TestFolder folder_;
};

TEST_F(CutAppendTest, TheJournalIsNamedAfterTheSourceBesideIt) {
  EXPECT_EQ(journalPathOf(source()),
            folder_.path() / ".langDeutsch.txt.append");
  EXPECT_EQ(journalPathOf("langX.txt"), fs::path(".langX.txt.append"));
}

TEST_F(CutAppendTest, AnAppendLeavesNoJournal) {
  const std::optional<FileIdentity> read = identityOf(source());
  ASSERT_TRUE(appendWithJournal(source(), *read, kOld, kLines));
  EXPECT_EQ(folder_.read("langDeutsch.txt"),
            std::string(kOld) + std::string(kLines));
  EXPECT_EQ(folder_.names(), Names{"langDeutsch.txt"});
  // Refused before the write: no journal either.
  EXPECT_EQ(appendWithJournal(source(), *read, kOld, kLines).status,
            WriteStatus::kChanged);
  EXPECT_EQ(folder_.names(), Names{"langDeutsch.txt"});
}

TEST_F(CutAppendTest, LinesCutAnywhereAreFinished) {
  for (std::size_t present : {std::size_t{0}, std::size_t{1}, std::size_t{50},
                              kLines.size() - 1, kLines.size()}) {
    folder_.write("langDeutsch.txt", kOld);
    cutAfter(present);
    EXPECT_EQ(finishCutAppend(source()).status, RepairStatus::kFinished)
        << present;
    EXPECT_EQ(folder_.read("langDeutsch.txt"),
              std::string(kOld) + std::string(kLines))
        << present;
    EXPECT_EQ(folder_.names(), Names{"langDeutsch.txt"}) << present;
  }
  EXPECT_EQ(finishCutAppend(source()).status, RepairStatus::kNothing);
}

TEST_F(CutAppendTest, ASourceChangedSinceIsLeftAndTheJournalGoes) {
  // Edited where the lines were cut; saved as a new file; saved in place
  // before any line went in; grown beyond the lines; gone.
  const std::vector<std::pair<std::string, std::function<void()>>> changes = {
      {"edited",
       [&] { folder_.write("langDeutsch.txt", "0 | Datei\r\n1 | Eng"); }},
      {"replaced",
       [&] {
         folder_.write("saved.txt", std::string(kOld) + "1 | Engl");
         fs::rename(folder_.path() / "saved.txt", source());
       }},
      {"grown",
       [&] {
         folder_.write("langDeutsch.txt",
                       std::string(kOld) + std::string(kLines) + "3 | x\r\n");
       }},
  };
  for (const auto& [what, change] : changes) {
    folder_.write("langDeutsch.txt", kOld);
    cutAfter(20);
    change();
    const std::string left = folder_.read("langDeutsch.txt");
    EXPECT_EQ(finishCutAppend(source()).status, RepairStatus::kStale) << what;
    EXPECT_EQ(folder_.read("langDeutsch.txt"), left) << what;
    EXPECT_EQ(folder_.names(), Names{"langDeutsch.txt"}) << what;
  }
  folder_.write("langDeutsch.txt", kOld);
  cutAfter(0);
  folder_.write("langDeutsch.txt", "0 | Neu!!\r\n");  // same size, in place
  EXPECT_EQ(finishCutAppend(source()).status, RepairStatus::kStale);
  EXPECT_EQ(folder_.read("langDeutsch.txt"), "0 | Neu!!\r\n");
  cutAfter(0);
  fs::remove(source());
  EXPECT_EQ(finishCutAppend(source()).status, RepairStatus::kStale);
  EXPECT_EQ(folder_.names(), Names{});
}

TEST_F(CutAppendTest, ACompileFinishesTheLinesBeforeItReadsThem) {
  // A cut line is never taken for a translation's text.
  cutAfter(kLines.size() - 8);
  ASSERT_TRUE(compileLanguage(folder_.path(), "Deutsch").ok());
  EXPECT_EQ(folder_.read("LangDeutsch.lng"),
            "\r\nDatei\r\nEnglish text\r\nHelp\r\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"),
            std::string(kOld) + std::string(kLines));

  folder_.write("langDeutsch.txt", kOld);
  cutAfter(kLines.size() - 8);
  EntryTable table;
  ASSERT_TRUE(loadLanguage(folder_.path(), "Deutsch", &table).ok());
  EXPECT_EQ(table.size(), 4u);
  EXPECT_EQ(table[2], "English text");
}

#if !defined(_WIN32)
TEST_F(CutAppendTest, LinesThatCannotBeFinishedAreAFaultOfTheCompile) {
  cutAfter(30);
  fs::permissions(source(), fs::perms::owner_read | fs::perms::group_read);
  const CompileResult result = compileLanguage(folder_.path(), "Deutsch");
  EXPECT_EQ(result.message(),
            "File langDeutsch.txt ends in lines that a stopped update left "
            "cut off, and they could not be finished: the file is read-only");
  EXPECT_EQ(folder_.names(),
            (Names{".langDeutsch.txt.append", "langDeutsch.txt"}));
  fs::permissions(source(), fs::perms::owner_all);
  ASSERT_TRUE(compileLanguage(folder_.path(), "Deutsch").ok());
  EXPECT_EQ(folder_.names(), (Names{"LangDeutsch.lng", "langDeutsch.txt"}));
}
#endif

TEST(SourceLockTest, OneUpdateAtATime) {
  TestFolder folder;
  folder.write("langX.txt", kOld);
  const fs::path source = folder.path() / "langX.txt";
  {
    const SourceLock first(source, milliseconds(0));
    ASSERT_FALSE(first.busy());
    const SourceLock second(source, milliseconds(60));
    EXPECT_TRUE(second.busy());
    // The lock keeps no one from reading or adding to the file.
    EXPECT_EQ(folder.read("langX.txt"), kOld);
    const std::optional<FileIdentity> read = identityOf(source);
    ASSERT_TRUE(appendToFile(source, *read, kOld, "1 | a\r\n"));
  }
  const SourceLock after(source, milliseconds(0));
  EXPECT_FALSE(after.busy());
}

}  // namespace
}  // namespace parlavox
