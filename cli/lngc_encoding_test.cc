#include <gtest/gtest.h>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "compiler/test_folder.h"

namespace parlavox {
namespace {

using namespace std::string_literals;

using LngcEncodingTest = LngcFixture;

// "Größe ändern" in UTF-8 under a Central European Charset.
constexpr std::string_view kUtf8Source =
    "// Deutsch\r\nCharset | 238\r\n0 | Datei\r\n"
    "1 | Gr\xC3\xB6\xC3\x9F\x65 \xC3\xA4ndern\r\n2 | \xC3\x96\x66\x66nen\r\n";

TEST_F(LngcEncodingTest, Utf8WarningNamesTheCodePageAndTheFileIsWritten) {
  folder_.write("langDeutsch.txt", kUtf8Source);
  EXPECT_EQ(run({at("langDeutsch.txt")}), 0);
  EXPECT_EQ(err_, at("langDeutsch.txt") +
                      ":4: warning: the file is saved as UTF-8, but Charset "
                      "238 expects Windows-1250 (Central European): save it "
                      "in that code page\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(folder_.read("LangDeutsch.lng"),
            "238\r\nDatei\r\nGr\xC3\xB6\xC3\x9F\x65 \xC3\xA4ndern\r\n"
            "\xC3\x96\x66\x66nen\r\n");
}

TEST_F(LngcEncodingTest, EachWarningInItsWords) {
  folder_.write("langA.txt", "0 | \xC3\xA4\n");
  folder_.write("langB.txt", "Charset | 0\n0 | \xC3\xA4\n");
  folder_.write("langC.txt", "Charset | 255\n0 | \xC3\xA4\n");
  folder_.write(
      "langD.txt",
      "Charset | 161\n0 | \xC1\xD2\xC3\n1 | bell\x07\n2 | \x81\x01\n");
  folder_.write("langE.txt", "0 | a\nCharset | Greek\n");
  EXPECT_EQ(run({"--check", at("langA.txt"), at("langB.txt"), at("langC.txt"),
                 at("langD.txt"), at("langE.txt")}),
            0);
  const std::string utf8 = ": warning: the file is saved as UTF-8, but ";
  EXPECT_EQ(
      err_,
      at("langA.txt") + ":1" + utf8 +
          "without a Charset line it is read in Windows-1252 (ANSI, on a "
          "Western system): save it in that code page\n" +
          at("langB.txt") + ":2" + utf8 +
          "Charset 0 expects Windows-1252 (ANSI, on a Western system): save "
          "it in that code page\n" +
          at("langC.txt") + ":2" + utf8 +
          "Charset 255 expects the system's OEM code page: save it in that "
          "code page\n" +
          at("langD.txt") +
          ":2: warning: byte 0xD2 is no character of Windows-1253 (Greek): "
          "retype it, or save the file in that code page\n" +
          at("langD.txt") +
          ":3: warning: the text holds control character 0x07, which the "
          "application cannot show: delete it\n" +
          at("langD.txt") +
          ":4: warning: byte 0x81 is no character of Windows-1253 (Greek): "
          "retype it, or save the file in that code page\n" +
          at("langD.txt") +
          ":4: warning: the text holds control character 0x01, which the "
          "application cannot show: delete it\n" +
          at("langE.txt") +
          ":2: warning: Charset \"Greek\" names no Windows character set: "
          "write its number, for example 0 (ANSI), 204 (Cyrillic) or 238 "
          "(Central European)\n");
  EXPECT_EQ(folder_.names(),
            (std::vector<std::string>{"langA.txt", "langB.txt", "langC.txt",
                                      "langD.txt", "langE.txt"}));
}

TEST_F(LngcEncodingTest, ByteOrderMarkNoteFollowsTheUnchangedFault) {
  folder_.write("langU.txt",
                "\xEF\xBB\xBF"
                "Charset | 238\r\n0 | a\r\n");
  EXPECT_EQ(run({at("langU.txt")}), 1);
  EXPECT_EQ(err_, at("langU.txt") +
                      ":1: string delimiter | missing in line "
                      "\"\xEF\xBB\xBF"
                      "Charset | 238\" (0)\n" +
                      at("langU.txt") +
                      ":1: note: the file starts with a UTF-8 byte-order "
                      "mark; save it without one\n");
  folder_.write("langW.txt",
                "\xFF\xFE"
                "0\0 \0|\0 \0a\0\r\0\n\0"s);
  EXPECT_EQ(run({at("langW.txt")}), 1);
  EXPECT_EQ(err_, at("langW.txt") +
                      ":1: string delimiter | missing in line "
                      "\"\xFF\xFE"
                      "0\0 \0|\0 \0a\0\" (0)\n"s +
                      at("langW.txt") +
                      ":1: note: the file is saved as UTF-16; save it in the "
                      "code page of its Charset\n");
  EXPECT_EQ(folder_.names(),
            (std::vector<std::string>{"langU.txt", "langW.txt"}));
}

TEST_F(LngcEncodingTest, ByteOrderMarkNoteAfterAnyFaultOfTheSourceOnly) {
  // A fault that is not on line 1 still gets the note on line 1.
  folder_.write("langBig.txt", "\xFE\xFF\r\n0 | a\r\n0 | b\r\n");
  EXPECT_EQ(run({at("langBig.txt")}), 1);
  EXPECT_EQ(err_, at("langBig.txt") + ":3: double entry for line number 0\n" +
                      at("langBig.txt") +
                      ":1: note: the file is saved as UTF-16; save it in the "
                      "code page of its Charset\n");
  // No note without a mark, nor for a file that is not there.
  folder_.write("langPlain.txt", "0 | a\n0 | b\n");
  EXPECT_EQ(run({at("langPlain.txt"), at("langNone.txt")}), 1);
  EXPECT_EQ(err_, at("langPlain.txt") + ":2: double entry for line number 0\n" +
                      at("langNone.txt") +
                      ": File langNone.txt not found in this directory\n");
}

TEST_F(LngcEncodingTest, ByteOrderMarkNoteForAReferenceThatFails) {
  folder_.write("langEnglish.txt",
                "\xEF\xBB\xBF"
                "0 | File\n");
  folder_.write("langA.txt", "0 | Datei\n");
  EXPECT_EQ(run({"--reference", at("langEnglish.txt"), at("langA.txt")}), 1);
  EXPECT_EQ(err_, at("langEnglish.txt") +
                      ":1: string delimiter | missing in line "
                      "\"\xEF\xBB\xBF"
                      "0 | File\" (0)\n" +
                      at("langEnglish.txt") +
                      ":1: note: the file starts with a UTF-8 byte-order "
                      "mark; save it without one\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
}

TEST_F(LngcEncodingTest, StrictWithoutReferenceFailsOnEachWarning) {
  const std::vector<std::string> faulty = {
      "0 | \xC3\xA4\n", "Charset | 238\n0 | \x83\n", "Charset | 7\n0 | a\n",
      "0 | a\x1B\n"};
  for (const std::string& source : faulty) {
    folder_.write("langA.txt", source);
    folder_.write("LangA.lng", "earlier\r\n");
    EXPECT_EQ(run({"--strict", at("langA.txt")}), 1) << source;
    EXPECT_EQ(err_.substr(err_.find('\n') + 1),
              at("langA.txt") + ": not written: 1 warning under --strict\n")
        << source;
    EXPECT_EQ(folder_.read("LangA.lng"), "earlier\r\n") << source;
  }
  folder_.write("langA.txt", "Charset | 238\n0 | \xE4\x9A\n");
  EXPECT_EQ(run({"--strict", at("langA.txt")}), 0);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(folder_.read("LangA.lng"), "238\r\n\xE4\x9A\r\n");
}

TEST_F(LngcEncodingTest, StrictCountsEncodingAndReferenceWarningsTogether) {
  folder_.write("langEnglish.txt", "0 | Save %1\n1 | OK\n");
  folder_.write("langA.txt", "0 | Speichern\x07\n1 | \x81\n");
  EXPECT_EQ(
      run({"--strict", "--reference", at("langEnglish.txt"), at("langA.txt")}),
      1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":1: warning: the text holds control character 0x07, "
                      "which the application cannot show: delete it\n" +
                      at("langA.txt") +
                      ":2: warning: byte 0x81 is no character of "
                      "Windows-1252 (ANSI, on a Western system): retype it, "
                      "or save the file in that code page\n" +
                      at("langA.txt") +
                      ":1: warning: line number 0 uses no placeholder where "
                      "the reference uses %1\n" +
                      at("langA.txt") +
                      ": not written: 3 warnings under --strict\n");
  EXPECT_FALSE(folder_.exists("LangA.lng"));
}

}  // namespace
}  // namespace parlavox
