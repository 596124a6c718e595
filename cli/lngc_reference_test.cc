#include <gtest/gtest.h>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

constexpr std::string_view kReference =
    "// English\r\n"
    "Charset | 0\r\n"
    "0 | File\r\n"
    "1 | Save %1 as %2\r\n"
    "2 | OK\r\n"
    "3 | Help\r\n";

class LngcReferenceTest : public LngcFixture {
 protected:
  LngcReferenceTest() { folder_.write("langEnglish.txt", kReference); }
};

TEST_F(LngcReferenceTest, WarningsNameTheLineAndStillWrite) {
  folder_.write("langDeutsch.txt",
                "// Deutsch\r\nCharset | 0\r\n0 | Datei\r\n\r\n"
                "// dialog\r\n1 | Speichern als %1\r\n2 | OK\r\n");
  EXPECT_EQ(run({"--reference", at("langEnglish.txt"), at("langDeutsch.txt")}),
            0);
  EXPECT_EQ(err_, at("langDeutsch.txt") +
                      ":6: warning: line number 1 uses %1 where the reference "
                      "uses %1 %2\n" +
                      at("langDeutsch.txt") +
                      ": warning: line number 3 of the reference is missing\n");
  EXPECT_EQ(folder_.read("LangDeutsch.lng"),
            "0\r\nDatei\r\nSpeichern als %1\r\nOK\r\n");
}

TEST_F(LngcReferenceTest, ExtraLinesAreLocatedOnTheirFirstLine) {
  folder_.write("langX.txt",
                "0 | a\n1 | %2 b %1\n2 | c\n3 | d\n\n4 | e\n5 | f\n");
  EXPECT_EQ(run({"--reference=" + at("langEnglish.txt"), at("langX.txt")}), 0);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":6: warning: line numbers 4 to 5 are not in the "
                      "reference, which ends at 3\n");
}

TEST_F(LngcReferenceTest, StrictWritesNothingForASourceWithWarnings) {
  folder_.write("langA.txt", "0 | a\n1 | %1 %1 %2\n2 | c\n3 | d\n");
  folder_.write("langB.txt", "0 | a\n1 | %2 %1\n2 | c\n3 | d\n");
  EXPECT_EQ(run({"--strict", "--reference", at("langEnglish.txt"),
                 at("langA.txt"), at("langB.txt")}),
            1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":2: warning: line number 1 uses %1 %1 %2 where the "
                      "reference uses %1 %2\n" +
                      at("langA.txt") +
                      ": not written: 1 warning under --strict\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
  EXPECT_TRUE(folder_.exists("LangB.lng"));
}

TEST_F(LngcReferenceTest, CheckWithReferenceWarnsAndWritesNothing) {
  folder_.write("langA.txt", "0 | a\n");
  EXPECT_EQ(
      run({"--check", "--reference", at("langEnglish.txt"), at("langA.txt")}),
      0);
  EXPECT_EQ(
      err_,
      at("langA.txt") +
          ": warning: line numbers 1 to 3 of the reference are missing\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
}

TEST_F(LngcReferenceTest, Statistics) {
  folder_.write("langA.txt", "Charset | 238\n0 | File\n1 | %1 %2\n2 | OK\n");
  EXPECT_EQ(run({"--statistics", at("langA.txt")}), 0);
  EXPECT_EQ(out_, at("langA.txt") + ": 3 strings\n");
  EXPECT_EQ(run({"--statistics", "--check", "--reference",
                 at("langEnglish.txt"), at("langA.txt")}),
            0);
  EXPECT_EQ(out_, at("langA.txt") +
                      ": 3 strings, 1 missing, 0 extra, 2 identical to the "
                      "reference\n");
}

TEST_F(LngcReferenceTest, ReferenceThatDoesNotCompileStopsEverything) {
  folder_.write("langBroken.txt", "0 | a\n\n0 | b\n");
  folder_.write("langA.txt", "0 | a\n");
  EXPECT_EQ(run({"--reference", at("langBroken.txt"), at("langA.txt")}), 1);
  EXPECT_EQ(err_,
            at("langBroken.txt") + ":3: double entry for line number 0\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
  EXPECT_EQ(run({"--reference", at("langMissing.txt"), at("langA.txt")}), 1);
  EXPECT_EQ(err_, at("langMissing.txt") +
                      ": File langMissing.txt not found in this directory\n");
}

TEST_F(LngcReferenceTest, UsageErrors) {
  EXPECT_EQ(run({"langA.txt", "--reference"}), 2);
  EXPECT_EQ(
      err_,
      "parlavox-lngc: --reference needs a FILE (see parlavox-lngc --help)\n");
  // --strict alone is no usage error: the source is looked for.
  EXPECT_EQ(run({"--strict", "langA.txt"}), 1);
  EXPECT_EQ(err_, "langA.txt: File langA.txt not found in this directory\n");
  EXPECT_EQ(run({"--reference", "english.txt", "langA.txt"}), 2);
}

}  // namespace
}  // namespace parlavox
