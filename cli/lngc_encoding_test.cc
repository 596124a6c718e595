#include <gtest/gtest.h>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "compiler/files/test_folder.h"

namespace parlavox {
namespace {

using namespace std::string_literals;

using LngcEncodingTest = LngcFixture;

// "Größe ändern" in UTF-8 under a Central European Charset.
constexpr std::string_view kUtf8Source =
    "// Deutsch\r\nCharset | 238\r\n0 | Datei\r\n"
    "1 | Gr\xC3\xB6\xC3\x9F\x65 \xC3\xA4ndern\r\n2 | \xC3\x96\x66\x66nen\r\n";

TEST_F(LngcEncodingTest, Utf8SourceIsWrittenInTheCodePageOfItsCharset) {
  folder_.write("langDeutsch.txt", kUtf8Source);
  EXPECT_EQ(run({"--verbose", at("langDeutsch.txt")}), 0);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(out_, at("langDeutsch.txt") +
                      ": read as UTF-8, written in Windows-1250 (Charset "
                      "238)\n" +
                      at("LangDeutsch.lng") + ": 3 strings\n");
  EXPECT_EQ(folder_.read("LangDeutsch.lng"),
            "238\r\nDatei\r\nGr\xF6\xDF"
            "e \xE4ndern\r\n\xD6"
            "ffnen\r\n");
}

TEST_F(LngcEncodingTest, Utf8UnderACharsetWithoutCodePageIsWrittenAsRead) {
  folder_.write("langA.txt", "Charset | 1\r\n0 | \xC3\xA4\r\n");
  EXPECT_EQ(run({"--verbose", at("langA.txt")}), 0);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":2: warning: the file is saved as UTF-8, but Charset 1 "
                      "expects the system's ANSI code page: save it in that "
                      "code page\n");
  EXPECT_EQ(out_, at("langA.txt") +
                      ": read as UTF-8, written as read (Charset 1)\n" +
                      at("LangA.lng") + ": 1 strings\n");
  EXPECT_EQ(folder_.read("LangA.lng"), "1\r\n\xC3\xA4\r\n");
}

TEST_F(LngcEncodingTest, UnmappableCharacterIsAFaultAndNothingIsWritten) {
  folder_.write("langA.txt",
                "Charset | 0\r\n0 | a\r\n\r\n1 | Gr\xC5\x91\xC3\x9F\r\n");
  folder_.write("LangA.lng", "earlier\r\n");
  EXPECT_EQ(run({at("langA.txt")}), 1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":4: character \"\xC5\x91\" (U+0151) in line number 1 "
                      "has no place in Windows-1252, the code page of "
                      "Charset 0; every text fits Charset 238 (Central "
                      "European)\n");
  EXPECT_EQ(folder_.read("LangA.lng"), "earlier\r\n");
  EXPECT_EQ(folder_.names(),
            (std::vector<std::string>{"LangA.lng", "langA.txt"}));
}

TEST_F(LngcEncodingTest, TheFaultNamesTheFirstCharsetThatHoldsEveryText) {
  struct Case {
    std::string_view texts;  // UTF-8, under Charset 0
    std::string_view fits;   // what follows the fault; empty for none
  };
  const Case cases[] = {
      {"0 | Zażółć\r\n1 | gęślą jaźń\r\n",
       "; every text fits Charset 238 (Central European)"},
      {"0 | Привет\r\n1 | мир\r\n", "; every text fits Charset 204 (Cyrillic)"},
      {"0 | Γειά σου\r\n1 | Κόσμε\r\n",
       "; every text fits Charset 161 (Greek)"},
      // Kana and kanji: Windows-932 comes before the Chinese pages, which
      // hold kana too.
      {"0 | ソフトを表示\r\n1 | 日本語\r\n",
       "; every text fits Charset 128 (Japanese)"},
      {"0 | 简体中文\r\n1 | 打开\r\n",
       "; every text fits Charset 134 (Chinese, simplified)"},
      {"0 | 한국어\r\n", "; every text fits Charset 129 (Korean)"},
      // Cyrillic and Greek share no code page: no Charset holds both.
      {"0 | Привет\r\n1 | Κόσμε\r\n", ""},
  };
  for (const Case& c : cases) {
    folder_.write("langA.txt", "Charset | 0\r\n" + std::string(c.texts));
    EXPECT_EQ(run({at("langA.txt")}), 1) << c.texts;
    const std::string::size_type end = err_.find("Charset 0");
    ASSERT_NE(end, std::string::npos) << err_;
    EXPECT_EQ(err_.substr(end + 9), std::string(c.fits) + "\n") << c.texts;
    // The whole table's compile says the same.
    EXPECT_EQ(run({"--check", at("langA.txt")}), 1);
    EXPECT_EQ(err_.substr(err_.find("Charset 0") + 9),
              std::string(c.fits) + "\n")
        << c.texts;
  }
  EXPECT_FALSE(folder_.exists("LangA.lng"));
}

TEST_F(LngcEncodingTest, ALanguageNameTellsTheCharsetItIsWrittenIn) {
  // The Charset 0 of the English file, in a Polish source saved as ANSI.
  const std::string polish = "Charset | 0\r\n0 | Za\xBF\xF3\xB3\xE6\r\n";
  const std::string warning =
      ":1: warning: Charset 0 is Western European, but Polish is written in "
      "Charset 238 (Central European)\n";
  folder_.write("langPolski.txt", polish);
  EXPECT_EQ(run({at("langPolski.txt")}), 0);
  EXPECT_EQ(err_, at("langPolski.txt") + warning);
  EXPECT_EQ(folder_.read("LangPolski.lng"), "0\r\nZa\xBF\xF3\xB3\xE6\r\n");
  EXPECT_EQ(run({"--check", at("langPolski.txt")}), 0);
  EXPECT_EQ(err_, at("langPolski.txt") + warning);
  // Case and accents aside; under --strict the file is not written.
  folder_.write("langESPAÑOL.txt", "Charset | 204\r\n0 | a\r\n");
  EXPECT_EQ(run({"--strict", at("langESPAÑOL.txt")}), 1);
  EXPECT_EQ(err_, at("langESPAÑOL.txt") +
                      ":1: warning: Charset 204 is Cyrillic, but Spanish is "
                      "written in Charset 0 (Western European)\n" +
                      at("langESPAÑOL.txt") +
                      ": not written: 1 warning under --strict\n");
  EXPECT_FALSE(folder_.exists("LangESPAÑOL.lng"));
  // Without a Charset line, and under one that names no code page.
  folder_.write("langРусский.txt", "0 | \xCF\xF0\xE8\r\n");
  EXPECT_EQ(run({at("langРусский.txt")}), 0);
  EXPECT_EQ(err_, at("langРусский.txt") +
                      ": warning: without a Charset line the file is read as "
                      "Western European, but Russian is written in Charset "
                      "204 (Cyrillic)\n");
  folder_.write("langGreek.txt", "Charset | 2\r\n0 | a\r\n");
  EXPECT_EQ(run({"--check", at("langGreek.txt")}), 0);
  EXPECT_EQ(err_, at("langGreek.txt") +
                      ":1: warning: Charset 2 is a symbol font, but Greek is "
                      "written in Charset 161 (Greek)\n");
  // German under Central European: ä ö ü ß are the same bytes.
  folder_.write("langDeutsch.txt", "Charset | 238\r\n0 | \xE4\xF6\xFC\xDF\r\n");
  EXPECT_EQ(run({"--strict", at("langDeutsch.txt")}), 0);
  EXPECT_EQ(err_, "");
}

TEST_F(LngcEncodingTest, EachWarningInItsWords) {
  folder_.write("langA.txt", "0 | \xC3\xA4\n");
  folder_.write("langB.txt", "Charset | 1\n0 | \xC3\xA4\n");
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
          "Charset 1 expects the system's ANSI code page: save it in that "
          "code page\n" +
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

TEST_F(LngcEncodingTest, MarkedSourcesCompileAndAFaultNotesTheMark) {
  folder_.write("langU.txt",
                "\xEF\xBB\xBF"
                "Charset | 238\r\n0 | \xC5\x82\r\n");
  folder_.write("langW.txt",
                "\xFF\xFE"
                "0\0 \0|\0 \0B\1\r\0\n\0"s);
  EXPECT_EQ(run({at("langU.txt"), at("langW.txt")}), 0);
  EXPECT_EQ(err_, at("langW.txt") +
                      ":1: warning: the file is saved as UTF-16 and written "
                      "as UTF-8, but without a Charset line it is read in "
                      "Windows-1252 (ANSI, on a Western system): save it in "
                      "that code page\n");
  EXPECT_EQ(folder_.read("LangU.lng"), "238\r\n\xB3\r\n");
  // Without a Charset line there is no code page: UTF-8 is written.
  EXPECT_EQ(folder_.read("LangW.lng"), "\r\n\xC5\x82\r\n");

  // A fault that is not on line 1 still gets the note on line 1.
  folder_.write("langBig.txt",
                "\xFE\xFF\0\r\0\n\0"
                "0\0 \0|\0 \0a\0\r\0\n\0"
                "0\0 \0|\0 \0b"s);
  EXPECT_EQ(run({at("langBig.txt")}), 1);
  EXPECT_EQ(err_, at("langBig.txt") + ":3: double entry for line number 0\n" +
                      at("langBig.txt") +
                      ":1: note: the file was read as UTF-16 BE by the "
                      "byte-order mark it starts with\n");
  // No note without a mark, nor for a file that is not there.
  folder_.write("langPlain.txt", "0 | a\n0 | b\n");
  EXPECT_EQ(run({at("langPlain.txt"), at("langNone.txt")}), 1);
  EXPECT_EQ(err_, at("langPlain.txt") + ":2: double entry for line number 0\n" +
                      at("langNone.txt") +
                      ": File langNone.txt not found in this directory\n");
}

TEST_F(LngcEncodingTest, MalformedUtf16IsAFaultOnItsLine) {
  folder_.write("langA.txt",
                "\xFF\xFE"
                "0\0 \0|\0 \0a\0\n\0"
                "1\0 \0|\0 \0\x3D\xD8\n\0"s);
  folder_.write("langB.txt",
                "\xFF\xFE"
                "0\0 \0|\0 \0a\0\r\0\n\0\r\0"
                "1"s);
  EXPECT_EQ(run({at("langA.txt"), at("langB.txt")}), 1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":2: the file is saved as UTF-16, but this line holds "
                      "half of a character (U+D83D without its other half)\n" +
                      at("langA.txt") +
                      ":1: note: the file was read as UTF-16 LE by the "
                      "byte-order mark it starts with\n" +
                      at("langB.txt") +
                      ":3: the file is saved as UTF-16, but it ends in half "
                      "a character (an odd number of bytes)\n" +
                      at("langB.txt") +
                      ":1: note: the file was read as UTF-16 LE by the "
                      "byte-order mark it starts with\n");
  EXPECT_EQ(folder_.names(),
            (std::vector<std::string>{"langA.txt", "langB.txt"}));
}

TEST_F(LngcEncodingTest, Utf16WithoutAMarkIsAFaultThatSaysHowToSaveIt) {
  folder_.write("langLe.txt", "0\0 \0|\0 \0a\0\r\0\n\0"s);
  folder_.write("langBe.txt",
                "\0"
                "0\0 \0|\0 \0a\0\r\0\n"s);
  folder_.write("LangLe.lng", "earlier\r\n");
  EXPECT_EQ(run({at("langLe.txt"), at("langBe.txt")}), 1);
  EXPECT_EQ(err_, at("langLe.txt") +
                      ": the file looks like UTF-16 LE saved without a "
                      "byte-order mark: save it again as UTF-16 with a "
                      "byte-order mark (\"Unicode\" in Notepad), or as "
                      "UTF-8\n" +
                      at("langBe.txt") +
                      ": the file looks like UTF-16 BE saved without a "
                      "byte-order mark: save it again as UTF-16 with a "
                      "byte-order mark (\"Unicode\" in Notepad), or as "
                      "UTF-8\n");
  EXPECT_EQ(folder_.read("LangLe.lng"), "earlier\r\n");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{
                                 "LangLe.lng", "langBe.txt", "langLe.txt"}));
}

TEST_F(LngcEncodingTest, AFaultShowsAControlByteAndNeverHoldsIt) {
  folder_.write("langA.txt", "0 | a\r\nx\0y | b\r\n"s);
  EXPECT_EQ(run({at("langA.txt")}), 1);
  EXPECT_EQ(err_, at("langA.txt") +
                      ":2: string delimiter | missing in line \"x<0x00>y | "
                      "b\" (1)\n");
}

TEST_F(LngcEncodingTest, Utf8ButForAPastedByteIsAWarningOnItsLine) {
  // «ż» pasted from Windows-1250 into UTF-8 «Zażółć gęślą».
  const std::string utf8 =
      "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85";
  folder_.write("langPolski.txt", "Charset | 238\r\n0 | " + utf8 + "\r\n1 | " +
                                      utf8 + "\r\n2 | \xBF\r\n");
  EXPECT_EQ(run({at("langPolski.txt")}), 0);
  EXPECT_EQ(err_, at("langPolski.txt") +
                      ":4: warning: the file is UTF-8 but for byte 0xBF, so "
                      "all of it is read as 8-bit text and its other letters "
                      "come out garbled: retype the character, and save the "
                      "file as UTF-8 once more\n");
  // Written as read, byte for byte.
  EXPECT_EQ(folder_.read("LangPolski.lng"),
            "238\r\n" + utf8 + "\r\n" + utf8 + "\r\n\xBF\r\n");
  // The same text in Windows-1250 throughout is no warning.
  folder_.write("langPolski.txt",
                "Charset | 238\r\n0 | Za\xBF\xF3\xB3\xE6 G\xCA\x8CL\xA5\r\n");
  EXPECT_EQ(run({at("langPolski.txt")}), 0);
  EXPECT_EQ(err_, "");
}

TEST_F(LngcEncodingTest, ByteOrderMarkNoteForAReferenceThatFails) {
  folder_.write("langEnglish.txt",
                "\xEF\xBB\xBF"
                "0 | File\n0 | Edit\n");
  folder_.write("langA.txt", "0 | Datei\n");
  EXPECT_EQ(run({"--reference", at("langEnglish.txt"), at("langA.txt")}), 1);
  EXPECT_EQ(err_, at("langEnglish.txt") +
                      ":2: double entry for line number 0\n" +
                      at("langEnglish.txt") +
                      ":1: note: the file was read as UTF-8 by the byte-order "
                      "mark it starts with\n");
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
