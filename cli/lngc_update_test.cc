#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "cli/update.h"
#include "compiler/compile.h"
#include "compiler/files/source_append.h"
#include "compiler/files/test_folder.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(__linux__)
#include <sys/resource.h>

#include <csignal>
#endif

namespace parlavox {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr std::string_view kReference =
    "// English\r\n"
    "Charset | 0\r\n"
    "0 | File   // menu\r\n"
    "1 | Save %1 as %2\r\n"
    "2 | Help: http://www.parlavox.example/help // address\r\n"
    "3 | OK\r\n";

constexpr std::string_view kAdded =
    "// New in the reference, to be translated:\r\n"
    "2 | Help: http://www.parlavox.example/help // address\r\n"
    "3 | OK\r\n";

constexpr std::string_view kDeutsch =
    "// Deutsch\r\nCharset | 0\r\n0 | Datei\r\n1 | %1 als %2 speichern\r\n";

class LngcUpdateTest : public LngcFixture {
 protected:
  LngcUpdateTest() { folder_.write("langEnglish.txt", kReference); }

  int update(const std::vector<std::string>& sources,
             const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"--update", "--reference",
                                     at("langEnglish.txt")};
    args.insert(args.end(), options.begin(), options.end());
    for (const std::string& source : sources) args.push_back(at(source));
    return run(args);
  }

  fs::file_time_type modified(std::string_view name) const {
    return fs::last_write_time(folder_.path() / std::string(name));
  }
};

TEST_F(LngcUpdateTest, AppendsWhatTheReferenceHasAndCompilesNothing) {
  folder_.write("langDeutsch.txt", kDeutsch);
  EXPECT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_EQ(out_,
            at("langDeutsch.txt") + ": 2 lines added from the reference\n");
  EXPECT_EQ(err_, "");
  EXPECT_EQ(folder_.read("langDeutsch.txt"),
            std::string(kDeutsch) + std::string(kAdded));
  EXPECT_EQ(folder_.names(), (Names{"langDeutsch.txt", "langEnglish.txt"}));
}

TEST_F(LngcUpdateTest, SecondRunChangesNothing) {
  folder_.write("langDeutsch.txt", std::string(kDeutsch) + "2 | Hilfe\r\n");
  ASSERT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_EQ(out_,
            at("langDeutsch.txt") + ": 1 line added from the reference\n");
  const std::string bytes = folder_.read("langDeutsch.txt");
  const fs::file_time_type time = modified("langDeutsch.txt");
  EXPECT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_EQ(out_, at("langDeutsch.txt") + ": up to date\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), bytes);
  EXPECT_EQ(modified("langDeutsch.txt"), time);
}

TEST_F(LngcUpdateTest, CheckSaysWhatWouldBeAddedAndWritesNothing) {
  folder_.write("langDeutsch.txt", kDeutsch);
  const fs::file_time_type time = modified("langDeutsch.txt");
  EXPECT_EQ(update({"langDeutsch.txt"}, {"--check"}), 0);
  EXPECT_EQ(out_,
            at("langDeutsch.txt") + ": 2 lines added from the reference\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), kDeutsch);
  EXPECT_EQ(modified("langDeutsch.txt"), time);
  EXPECT_EQ(folder_.names(), (Names{"langDeutsch.txt", "langEnglish.txt"}));
}

TEST_F(LngcUpdateTest, FaultInTheReferenceTouchesNoFile) {
  folder_.write("langEnglish.txt", "0 | a\n1 | b\n1 | c\n");
  folder_.write("langDeutsch.txt", "0 | a\n");
  EXPECT_EQ(update({"langDeutsch.txt"}), 1);
  EXPECT_EQ(err_,
            at("langEnglish.txt") + ":3: double entry for line number 1\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), "0 | a\n");
}

TEST_F(LngcUpdateTest, FaultInOneSourceLeavesItAndUpdatesTheOthers) {
  folder_.write("langA.txt", "0 | a\n\n2 | c\n");
  folder_.write("langB.txt", "0 | a\n");
  EXPECT_EQ(update({"langA.txt", "langB.txt", "langC.txt"}), 1);
  EXPECT_EQ(err_, at("langA.txt") + ": entry for line number 1 missing\n" +
                      at("langC.txt") +
                      ": File langC.txt not found in this directory\n");
  EXPECT_EQ(out_, at("langB.txt") + ": 3 lines added from the reference\n");
  EXPECT_EQ(folder_.read("langA.txt"), "0 | a\n\n2 | c\n");
  EXPECT_EQ(folder_.names(),
            (Names{"langA.txt", "langB.txt", "langEnglish.txt"}));
}

TEST_F(LngcUpdateTest, TheFileTheCompileFindsIsTheOneUpdated) {
  folder_.write("LangDeutsch.txt", kDeutsch);
  ASSERT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_EQ(folder_.names(), (Names{"LangDeutsch.txt", "langEnglish.txt"}));
  EXPECT_EQ(folder_.read("LangDeutsch.txt"),
            std::string(kDeutsch) + std::string(kAdded));
}

TEST_F(LngcUpdateTest, ASourceNamedInAnotherCaseIsThatVeryFile) {
  folder_.write("langDeutsch.txt", kDeutsch);
  folder_.write("LANGDEUTSCH.TXT", kDeutsch);
  if (folder_.names().size() != 3) GTEST_SKIP() << "one name in any case here";
  ASSERT_EQ(update({"LANGDEUTSCH.TXT"}), 0) << err_;
  EXPECT_EQ(out_,
            at("LANGDEUTSCH.TXT") + ": 2 lines added from the reference\n");
  EXPECT_EQ(folder_.read("LANGDEUTSCH.TXT"),
            std::string(kDeutsch) + std::string(kAdded));
  EXPECT_EQ(folder_.read("langDeutsch.txt"), kDeutsch);

  // Compiled and checked, it is that file too.
  folder_.write("LANGDEUTSCH.TXT", "0 | GROSS\r\n");
  ASSERT_EQ(run({at("LANGDEUTSCH.TXT")}), 0) << err_;
  EXPECT_EQ(folder_.read("LangDEUTSCH.lng"), "\r\nGROSS\r\n");
  ASSERT_EQ(run({"--verbose", at("LANGDEUTSCH.TXT")}), 0) << err_;
  EXPECT_EQ(out_, at("LANGDEUTSCH.TXT") +
                      ": read as 8-bit text, written as read (no Charset "
                      "line)\n" +
                      at("LangDEUTSCH.lng") + ": 1 strings\n");
}

TEST_F(LngcUpdateTest, AnotherUpdateRunningIsWaitedForThenRefused) {
  folder_.write("langDeutsch.txt", kDeutsch);
  EntryTable reference;
  ASSERT_TRUE(loadLanguage(folder_.path(), "English", &reference).ok());
  const std::vector<UpdateTarget> targets = {
      {"langDeutsch.txt", folder_.path(), "Deutsch", ""}};
  UpdateOptions options;
  options.lockWait = std::chrono::milliseconds(100);
  std::ostringstream out;
  std::ostringstream err;
  {
    const SourceLock running(folder_.path() / "langDeutsch.txt",
                             std::chrono::milliseconds(0));
    ASSERT_FALSE(running.busy());
    EXPECT_EQ(runUpdate(targets, reference, SourceEncoding::kEightBit, nullptr,
                        options, out, err),
              1);
  }
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "langDeutsch.txt: not updated: another update of this file is "
            "running; run again once it has ended\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), kDeutsch);
  // Once it has ended, the update runs.
  EXPECT_EQ(runUpdate(targets, reference, SourceEncoding::kEightBit, nullptr,
                      options, out, err),
            0);
  EXPECT_EQ(out.str(), "langDeutsch.txt: 2 lines added from the reference\n");
}

TEST_F(LngcUpdateTest, LinesAStoppedUpdateCutOffAreFinishedFirst) {
  folder_.write("langDeutsch.txt", kDeutsch);
  const fs::path source = folder_.path() / "langDeutsch.txt";
  const std::optional<FileIdentity> read = identityOf(source);
  folder_.write(".langDeutsch.txt.append", journalFor(*read, kAdded));
  ASSERT_TRUE(appendToFile(source, *read, kDeutsch, kAdded.substr(0, 60)));
  ASSERT_EQ(update({"langDeutsch.txt"}), 0) << err_;
  EXPECT_EQ(out_, at("langDeutsch.txt") +
                      ": the lines a stopped update left cut off are "
                      "finished\n" +
                      at("langDeutsch.txt") + ": up to date\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"),
            std::string(kDeutsch) + std::string(kAdded));
  EXPECT_EQ(folder_.names(), (Names{"langDeutsch.txt", "langEnglish.txt"}));
}

TEST_F(LngcUpdateTest, LinkedSourceIsUpdatedWhereItLies) {
  fs::create_directory(folder_.path() / "kept");
  folder_.write("kept/langDeutsch.txt", kDeutsch);
  std::error_code error;
  fs::create_symlink(folder_.path() / "kept" / "langDeutsch.txt",
                     folder_.path() / "langDeutsch.txt", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  ASSERT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_TRUE(fs::is_symlink(folder_.path() / "langDeutsch.txt"));
  EXPECT_EQ(folder_.read("kept/langDeutsch.txt"),
            std::string(kDeutsch) + std::string(kAdded));
}

TEST_F(LngcUpdateTest, UpdatedSourceCompilesWithTheOldLinesUnchanged) {
  folder_.write("langDeutsch.txt", kDeutsch);
  ASSERT_EQ(run({at("langDeutsch.txt")}), 0);
  const std::string before = folder_.read("LangDeutsch.lng");
  ASSERT_EQ(update({"langDeutsch.txt"}), 0);
  EXPECT_EQ(run({"--reference", at("langEnglish.txt"), at("langDeutsch.txt")}),
            0);
  EXPECT_EQ(err_, "");
  const std::string after = folder_.read("LangDeutsch.lng");
  EXPECT_EQ(after, before + "Help: http://www.parlavox.example/help\r\nOK\r\n");
}

TEST_F(LngcUpdateTest, WarnsAsTheReferenceCheckDoesButForWhatItAdds) {
  folder_.write("langX.txt", "0 | a\n1 | %1\n\n");
  folder_.write("langY.txt", "0|a\n1|%1 %2\n2|c\n3|d\n4|e\n");
  EXPECT_EQ(update({"langX.txt", "langY.txt"}, {"--statistics"}), 0);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":2: warning: line number 1 uses %1 where the "
                      "reference uses %1 %2\n" +
                      at("langY.txt") +
                      ":5: warning: line number 4 is not in the reference, "
                      "which ends at 3\n");
  EXPECT_EQ(out_, at("langX.txt") +
                      ": 4 strings, 0 missing, 0 extra, 2 identical to the "
                      "reference\n" +
                      at("langX.txt") + ": 2 lines added from the reference\n" +
                      at("langY.txt") +
                      ": 5 strings, 0 missing, 1 extra, 0 identical to the "
                      "reference\n" +
                      at("langY.txt") + ": up to date\n");
}

TEST_F(LngcUpdateTest, StrictLeavesASourceWithWarningsAsItWas) {
  folder_.write("langX.txt", "0 | a\n1 | %1\n");
  EXPECT_EQ(update({"langX.txt"}, {"--strict"}), 1);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":2: warning: line number 1 uses %1 where the "
                      "reference uses %1 %2\n" +
                      at("langX.txt") +
                      ": not updated: 1 warning under --strict\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("langX.txt"), "0 | a\n1 | %1\n");
}

TEST_F(LngcUpdateTest, EncodingWarningsArePrintedAndCountUnderStrict) {
  const std::string source = "0 | Datei\x07\n1 | \x81 %1 %2\n";
  const std::string warnings =
      at("langX.txt") +
      ":1: warning: the text holds control character 0x07, which the "
      "application cannot show: delete it\n" +
      at("langX.txt") +
      ":2: warning: byte 0x81 is no character of Windows-1252 (ANSI, on a "
      "Western system): retype it, or save the file in that code page\n";
  folder_.write("langX.txt", source);
  EXPECT_EQ(update({"langX.txt"}, {"--strict"}), 1);
  EXPECT_EQ(err_, warnings + at("langX.txt") +
                      ": not updated: 2 warnings under --strict\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("langX.txt"), source);

  EXPECT_EQ(update({"langX.txt"}), 0);
  EXPECT_EQ(err_, warnings);
  EXPECT_EQ(out_, at("langX.txt") + ": 2 lines added from the reference\n");
}

TEST_F(LngcUpdateTest, ReadOnlySourceIsRefusedBeforeAnythingIsWritten) {
  // Also for root, who could write it: an editor asks first as well.
  folder_.write("langDeutsch.txt", kDeutsch);
  const fs::path path = folder_.path() / "langDeutsch.txt";
  fs::permissions(
      path,
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
      fs::perm_options::remove);
  EXPECT_EQ(update({"langDeutsch.txt"}), 1);
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(err_,
            at("langDeutsch.txt") + ": not updated: the file is read-only\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), kDeutsch);
  EXPECT_EQ(folder_.names(), (Names{"langDeutsch.txt", "langEnglish.txt"}));
}

#if defined(_WIN32)
TEST_F(LngcUpdateTest, SourceHeldOpenForWritingByAnotherProgramIsLeft) {
  folder_.write("langDeutsch.txt", kDeutsch);
  // An editor that lets others read the file while it has it open, but
  // not write it.
  HANDLE held =
      CreateFileW((folder_.path() / "langDeutsch.txt").c_str(),
                  GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const int status = update({"langDeutsch.txt"});
  CloseHandle(held);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err_, at("langDeutsch.txt") +
                      ": not updated: another program has the file open\n");
  EXPECT_EQ(folder_.read("langDeutsch.txt"), kDeutsch);
}
#endif

TEST_F(LngcUpdateTest, NonAsciiTextUnderAnotherCharsetIsWarnedOnItsNewLine) {
  folder_.write("langEnglish.txt",
                "Charset | 238\n0 | a\n1 | \xE9t\xE9\n2 | b\n3 | \xF6 // o\n");
  folder_.write("langX.txt", "// x\r\n0 | a");
  EXPECT_EQ(update({"langX.txt"}), 0);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":4: warning: line number 1 comes from a reference with "
                      "Charset 238; its non-ASCII characters may not show "
                      "right under no Charset\n" +
                      at("langX.txt") +
                      ":6: warning: line number 3 comes from a reference with "
                      "Charset 238; its non-ASCII characters may not show "
                      "right under no Charset\n");
  EXPECT_EQ(folder_.read("langX.txt"),
            "// x\r\n0 | a\r\n// New in the reference, to be translated:\r\n"
            "1 | \xE9t\xE9\r\n2 | b\r\n3 | \xF6 // o\r\n");
  folder_.write("langY.txt", "Charset | 238\n0 | a\n");
  EXPECT_EQ(update({"langY.txt"}), 0);
  EXPECT_EQ(err_, "");
}

TEST_F(LngcUpdateTest, ChangedInTheReferenceIsWarnedOnTheTranslationsLine) {
  folder_.write("langOld.txt", "0 | Fil\n1 | Save %1 as %2\n2 | Hlp\n");
  folder_.write(
      "langDeutsch.txt",
      "// Deutsch\n\n0 | Datei\n// dialog\n1 | %1 als %2\n2 | Hilfe\n");
  const std::string warnings =
      at("langDeutsch.txt") +
      ":3: warning: line number 0 changed in the reference from \"Fil\" to "
      "\"File\"\n" +
      at("langDeutsch.txt") +
      ":6: warning: line number 2 changed in the reference from \"Hlp\" to "
      "\"Help: http://www.parlavox.example/help\"\n";
  EXPECT_EQ(
      run({"--check", "--statistics", "--previous-reference", at("langOld.txt"),
           "--reference", at("langEnglish.txt"), at("langDeutsch.txt")}),
      0);
  EXPECT_EQ(err_, warnings + at("langDeutsch.txt") +
                      ": warning: line number 3 of the reference is missing\n");
  EXPECT_EQ(out_, at("langDeutsch.txt") +
                      ": 3 strings, 1 missing, 0 extra, 0 identical to the "
                      "reference, 2 changed in the reference\n");

  EXPECT_EQ(update({"langDeutsch.txt"},
                   {"--previous-reference=" + at("langOld.txt")}),
            0);
  EXPECT_EQ(err_, warnings);
  EXPECT_EQ(out_,
            at("langDeutsch.txt") + ": 1 line added from the reference\n");

  EXPECT_EQ(run({"--strict", "--previous-reference", at("langOld.txt"),
                 "--reference", at("langEnglish.txt"), at("langDeutsch.txt")}),
            1);
  EXPECT_EQ(err_, warnings + at("langDeutsch.txt") +
                      ": not written: 2 warnings under --strict\n");
}

TEST_F(LngcUpdateTest, UsageErrors) {
  EXPECT_EQ(run({"--update", at("langEnglish.txt")}), 2);
  EXPECT_EQ(err_,
            "parlavox-lngc: --update needs --reference (see parlavox-lngc "
            "--help)\n");
  EXPECT_EQ(run({"--previous-reference", at("langEnglish.txt"),
                 at("langEnglish.txt")}),
            2);
  EXPECT_EQ(err_,
            "parlavox-lngc: --previous-reference needs --reference (see "
            "parlavox-lngc --help)\n");
  EXPECT_EQ(run({"--reference", at("langEnglish.txt"), at("langEnglish.txt"),
                 "--previous-reference"}),
            2);
  folder_.write("langBroken.txt", "x | y\n");
  EXPECT_EQ(run({"--previous-reference", at("langBroken.txt"), "--reference",
                 at("langEnglish.txt"), at("langEnglish.txt")}),
            1);
  EXPECT_EQ(err_, at("langBroken.txt") +
                      ":1: string delimiter | missing in line \"x | y\" (0)\n");
}

#if defined(__linux__)
TEST_F(LngcUpdateTest, WriteFailureLeavesTheSourceAsItWas) {
  const std::string source = "0 | " + std::string(4096, 'x') + "\n";
  folder_.write("langX.txt", source);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
  const int status = update({"langX.txt"});
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err_,
            at("langX.txt") + ": not updated: the file could not be written\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("langX.txt"), source);
  EXPECT_EQ(folder_.names(), (Names{"langEnglish.txt", "langX.txt"}));
}
#endif

}  // namespace
}  // namespace parlavox
