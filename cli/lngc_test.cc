#include "cli/lngc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "compiler/compile.h"
#include "compiler/files/file_names.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome lngc(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = runLngc(args, out, err);
  return {status, out.str(), err.str()};
}

class LngcTest : public ::testing::Test {
 protected:
  std::string at(std::string_view name) const {
    return bytesFromPath(folder_.path() / pathFromBytes(name));
  }

  TestFolder folder_;
};

TEST_F(LngcTest, CompilesSilently) {
  folder_.write("langDeutsch.txt", "Charset | 238\n0 | Hallo\n");
  const Outcome run = lngc({at("langDeutsch.txt")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(folder_.read("LangDeutsch.lng"), "238\r\nHallo\r\n");
}

TEST_F(LngcTest, VerboseNamesEachWrittenFile) {
  folder_.write("langA.txt", "0 | a\n1 | b\n");
  const Outcome run = lngc({"--verbose", at("langA.txt")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, at("langA.txt") +
                         ": read as 8-bit text, written as read (no Charset "
                         "line)\n" +
                         at("LangA.lng") + ": 2 strings\n");
}

TEST_F(LngcTest, FaultIsReportedWithItsLineAndTheNextSourceStillCompiles) {
  folder_.write("langA.txt", "0 | a\n// note\n0 | b\n");
  folder_.write("langB.txt", "0 | b\n");
  const Outcome run = lngc({at("langA.txt"), at("langB.txt"), at("langC.txt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, at("langA.txt") + ":3: double entry for line number 0\n" +
                         at("langC.txt") +
                         ": File langC.txt not found in this directory\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
  EXPECT_EQ(folder_.read("LangB.lng"), "\r\nb\r\n");
}

TEST_F(LngcTest, CheckWritesNothing) {
  folder_.write("langA.txt", "0 | new\n");
  folder_.write("langB.txt", "0 | new\n");
  folder_.write("LangB.lng", "earlier\r\n");
  const Outcome run =
      lngc({"--check", "--verbose", at("langA.txt"), at("langB.txt")});
  EXPECT_EQ(run.status, 0);
  // --verbose names each SOURCE checked, not a file it did not write.
  const std::string reading =
      ": read as 8-bit text, written as read (no Charset line)\n";
  EXPECT_EQ(run.out, at("langA.txt") + reading + at("langA.txt") +
                         ": 1 strings\n" + at("langB.txt") + reading +
                         at("langB.txt") + ": 1 strings\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
  EXPECT_EQ(folder_.read("LangB.lng"), "earlier\r\n");
}

TEST_F(LngcTest, CheckStillReportsFaults) {
  folder_.write("langA.txt", "x y | z\n");
  const Outcome run = lngc({"--check", at("langA.txt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            at("langA.txt") +
                ":1: string delimiter | missing in line \"x y | z\" (0)\n");
}

TEST_F(LngcTest, PrefixAndSuffixMatchInAnyCase) {
  folder_.write("LANGdeutsch.TXT", "0 | a\n");
  EXPECT_EQ(lngc({at("LANGdeutsch.TXT")}).status, 0);
  EXPECT_EQ(folder_.read("Langdeutsch.lng"), "\r\na\r\n");
}

TEST_F(LngcTest, NameInAnyScriptIsWrittenAndReportedAsGiven) {
  // "Русский", in a folder of its own named in Greek.
  const std::string russian =
      "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9";
  const std::string greek = "\xCE\x95\xCE\xBB";
  std::filesystem::create_directory(folder_.path() / pathFromBytes(greek));
  auto in = [&](const std::string& name) {
    return bytesFromPath(folder_.path() / pathFromBytes(greek) /
                         pathFromBytes(name));
  };
  folder_.write(greek + "/lang" + russian + ".txt", "0 | a\n");
  Outcome run = lngc({"--verbose", in("lang" + russian + ".txt")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, in("lang" + russian + ".txt") +
                         ": read as 8-bit text, written as read (no Charset "
                         "line)\n" +
                         in("Lang" + russian + ".lng") + ": 1 strings\n");
  EXPECT_EQ(folder_.read(greek + "/Lang" + russian + ".lng"), "\r\na\r\n");

  run = lngc({in("lang" + russian + "X.txt")});
  EXPECT_EQ(run.err, in("lang" + russian + "X.txt") + ": File lang" + russian +
                         "X.txt not found in this directory\n");
}

TEST(LngcUsageTest, UsageErrorsExitWithTwoAndOneLine) {
  EXPECT_EQ(lngc({}).status, 2);
  EXPECT_EQ(lngc({}).err,
            "parlavox-lngc: no SOURCE given (see parlavox-lngc --help)\n");
  const Outcome unknown = lngc({"--fast", "langA.txt"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(
      unknown.err,
      "parlavox-lngc: unknown option '--fast' (see parlavox-lngc --help)\n");
  for (std::string bad : {"deutsch.txt", "langA.lng", "lan.txt", "dir/"}) {
    const Outcome run = lngc({bad});
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_EQ(run.err,
              "parlavox-lngc: '" + bad +
                  "' is not named langNAME.txt (see parlavox-lngc --help)\n");
  }
}

TEST(LngcUsageTest, AnOptionWrittenWithASlashIsNamedAsItIsWritten) {
  // cmd users write options as Windows programs take them; here, as on
  // Windows, they are written with two dashes.
  for (const auto& [given, expected] :
       std::vector<std::pair<std::string, std::string>>{
           {"/verbose", "'/verbose' is no option: write --verbose"},
           {"/CHECK", "'/CHECK' is no option: write --check"},
           {"/reference=langEnglish.txt",
            "'/reference=langEnglish.txt' is no option: write --reference"},
           {"/previous-reference",
            "'/previous-reference' is no option: write "
            "--previous-reference"}}) {
    const Outcome run = lngc({given, "langA.txt"});
    EXPECT_EQ(run.status, 2) << given;
    EXPECT_EQ(run.err, "parlavox-lngc: " + expected +
                           ", on Windows too (see parlavox-lngc --help)\n");
  }
  // A slash that is no option's is a path as before.
  EXPECT_EQ(lngc({"/fast"}).err,
            "parlavox-lngc: '/fast' is not named langNAME.txt (see "
            "parlavox-lngc --help)\n");
}

TEST(LngcUsageTest, UsageErrorComesBeforeAnyCompile) {
  TestFolder folder;
  folder.write("langA.txt", "0 | a\n");
  const Outcome run = lngc({(folder.path() / "langA.txt").string(), "bad.txt"});
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(folder.exists("LangA.lng"));
}

TEST(LngcUsageTest, HelpAndVersion) {
  const Outcome version = lngc({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "parlavox-lngc 0.2\n");
  const Outcome help = lngc({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: parlavox-lngc [OPTION]... SOURCE...\n", 0),
            0u);
  EXPECT_EQ(help.err, "");
  // -h anywhere among the options, even after a fault, is the same help.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"-h"}, {"--check", "langA.txt", "-h"}, {"-h", "--nope"}}) {
    const Outcome run = lngc(args);
    EXPECT_EQ(run.status, 0) << args.size();
    EXPECT_EQ(run.out, help.out);
  }
  // After "--" it is a SOURCE.
  EXPECT_EQ(lngc({"--", "-h"}).err,
            "parlavox-lngc: '-h' is not named langNAME.txt (see parlavox-lngc "
            "--help)\n");
#ifdef _WIN32
  EXPECT_EQ(lngc({"/?"}).out, help.out);
  EXPECT_NE(help.out.find("lang*.txt"), std::string::npos);
#else
  EXPECT_EQ(lngc({"/?"}).status, 2);
  EXPECT_EQ(help.out.find("/?"), std::string::npos);
#endif
}

// Runs parlavox-lngc on `expanded`, each to be expanded where it holds a
// wildcard, followed by `rest`, none to be.
Outcome lngcExpanding(const std::vector<std::string>& expanded,
                      const std::vector<std::string>& rest = {}) {
  std::vector<Argument> args;
  args.reserve(expanded.size() + rest.size());
  for (const std::string& arg : expanded) args.push_back({arg, true});
  for (const std::string& arg : rest) args.push_back({arg, false});
  std::ostringstream out;
  std::ostringstream err;
  const int status = runLngc(args, out, err);
  return {status, out.str(), err.str()};
}

TEST_F(LngcTest, PatternCompilesEachMatchNamedLangNameTxt) {
  folder_.write("langb.txt", "0 | b\n");
  folder_.write("LANGa.TXT", "0 | a\n1 | a\n");
  folder_.write("langnotes.doc", "notes");
  folder_.write("lang\xD0\xA0\xD1\x83.txt", "0 | \xD1\x80\n");
  const Outcome run = lngcExpanding({at("lang*.txt")}, {"--verbose"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string reading =
      ": read as 8-bit text, written as read (no Charset line)\n";
  EXPECT_EQ(run.out,
            at("LANGa.TXT") + reading + at("Langa.lng") + ": 2 strings\n" +
                at("langb.txt") + reading + at("Langb.lng") + ": 1 strings\n" +
                at("lang\xD0\xA0\xD1\x83.txt") +
                ": read as UTF-8, written as read (no Charset line)\n" +
                at("Lang\xD0\xA0\xD1\x83.lng") + ": 1 strings\n");
  EXPECT_EQ(folder_.read("Lang\xD0\xA0\xD1\x83.lng"), "\r\n\xD1\x80\r\n");

  // A match that is no language source is passed over: only langb.txt here.
  const Outcome some = lngcExpanding({at("*b.*"), at("*notes*")});
  EXPECT_EQ(some.status, 1);
  EXPECT_EQ(
      some.err,
      at("*notes*") + ": no file named langNAME.txt matches this pattern\n");
}

TEST_F(LngcTest, PatternMatchingNothingFailsAndTheOthersStillCompile) {
  folder_.write("langA.txt", "0 | a\n");
  const Outcome run =
      lngcExpanding({at("langZ*.txt"), at("lang?.txt")}, {"--verbose"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, at("langZ*.txt") +
                         ": no file named langNAME.txt matches this pattern\n");
  EXPECT_EQ(run.out, at("langA.txt") +
                         ": read as 8-bit text, written as read (no Charset "
                         "line)\n" +
                         at("LangA.lng") + ": 1 strings\n");

  // A pattern not to expand (a quoted one) is a name as it is, and no
  // source's.
  const Outcome quoted = lngc({at("lang*.txt")});
  EXPECT_EQ(quoted.status, 1);
  EXPECT_EQ(quoted.err.rfind(at("lang*.txt") + ": ", 0), 0u) << quoted.err;
}

TEST_F(LngcTest, PatternSourcesAreUpdatedAndAPatternFileIsNot) {
  folder_.write("langA.txt", "0 | a\n");
  folder_.write("langEnglish.txt", "0 | x\n1 | y\n");
  Outcome run = lngcExpanding(
      {"--update", "--reference", at("langEnglish.txt"), at("langA*.txt")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, at("langA.txt") + ": 1 line added from the reference\n");

  // Only a SOURCE is expanded: the reference is one FILE, named as it is.
  run = lngcExpanding({"--reference", at("langE*.txt"), at("langA*.txt")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind(at("langE*.txt") + ": ", 0), 0u) << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace parlavox
