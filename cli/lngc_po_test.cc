#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/lngc.h"
#include "cli/lngc_fixture.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/encodings/languages.h"
#include "compiler/files/test_folder.h"
#include "compiler/files/text_file.h"
#include "compiler/po/po_reader.h"
#include "compiler/po/po_source.h"

namespace parlavox {
namespace {

constexpr std::string_view kReference =
    "// English\r\n"
    "Charset | 0\r\n"
    "0 | File // menu\r\n"
    "1 | Save %1 as %2 // %1 song, %2 type\r\n"
    "2 | OK\r\n"
    "3 | Help: http://www.parlavox.example/help // address\r\n"
    "4 | Say \"hi\" to C:\\lyrics\r\n"
    "5 | Tab\there\r\n";

class LngcPoTest : public LngcFixture {
 protected:
  LngcPoTest() { folder_.write("langEnglish.txt", kReference); }

  // The compiled file of langX.txt, then that of langX.po exported from it
  // and of langX.txt imported from that PO file: all three must be equal.
  void expectRoundTrip(std::string_view source) {
    folder_.write("langX.txt", source);
    ASSERT_EQ(run({at("langX.txt")}), 0) << err_;
    const std::string compiled = folder_.read("LangX.lng");
    ASSERT_EQ(run({"--force", "--export-po", "--reference",
                   at("langEnglish.txt"), at("langX.txt")}),
              0)
        << err_;
    ASSERT_EQ(run({at("langX.po")}), 0) << err_;
    EXPECT_EQ(folder_.read("LangX.lng"), compiled) << "compiled from the PO";
    ASSERT_EQ(run({"--force", "--import-po", at("langX.po")}), 0) << err_;
    ASSERT_EQ(run({at("langX.txt")}), 0) << err_;
    EXPECT_EQ(folder_.read("LangX.lng"), compiled) << "from the import";
  }
};

TEST_F(LngcPoTest, TheSamplesComeBackByteForByte) {
  for (const char* name : {"langEnglish.txt", "langDeutsch.txt"}) {
    SCOPED_TRACE(name);
    const std::optional<FileText> sample =
        loadFile(std::filesystem::path(PARLAVOX_SOURCE_DIR) / "samples" / name);
    ASSERT_TRUE(sample);
    folder_.write("langEnglish.txt", sample->view());
    expectRoundTrip(sample->view());
  }
}

// The first `count` characters of UTF-8 `text`.
std::string_view firstCharacters(std::string_view text, std::size_t count) {
  std::size_t at = 0;
  for (; at < text.size() && count > 0; --count) {
    ++at;
    while (at < text.size() &&
           (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
      ++at;
    }
  }
  return text.substr(0, at);
}

// A translation with comments, an address, placeholders, a text equal to
// the English, quotes, a backslash and a tab, in the letters of `language`.
std::string translation(std::string_view charset, std::string_view letters) {
  return "Charset | " + std::string(charset) +
         "\r\n"
         "0 | " +
         std::string(letters) +
         " // menu\r\n"
         "1 | %2 " +
         std::string(firstCharacters(letters, 6)) +
         " %1 // order changed\r\n"
         "2 | OK\r\n"
         "3 | " +
         std::string(firstCharacters(letters, 3)) +
         ": http://www.parlavox.example/help // address\r\n"
         "4 | \"" +
         std::string(firstCharacters(letters, 3)) +
         "\" C:\\lyrics\r\n"
         "5 | a\tb\r\n";
}

// Letters of a language written in Charset `value`.
std::string_view lettersOf(unsigned value) {
  for (const Language& language : knownLanguages()) {
    if (language.charset == value && !language.letters.empty()) {
      return language.letters;
    }
  }
  for (const Language& language : knownLanguages()) {
    if (language.alsoCharset == static_cast<int>(value)) {
      return language.letters;
    }
  }
  return knownLanguages()[2].letters;  // French, for Mac Roman
}

TEST_F(LngcPoTest, EveryCodePageComesBackByteForByte) {
  for (unsigned value : {0u, 238u, 204u, 161u, 162u, 177u, 178u, 186u, 163u,
                         222u, 128u, 134u, 136u, 129u, 130u, 77u}) {
    SCOPED_TRACE(value);
    const CodePage* page = codePageOfCharset(value);
    ASSERT_NE(page, nullptr);
    const std::string utf8 =
        translation(std::to_string(value), lettersOf(value));
    expectRoundTrip(utf8);
    expectRoundTrip("\xEF\xBB\xBF" + utf8);
    std::string eightBit;
    ASSERT_TRUE(encodeFromUtf8(*page, utf8, &eightBit).ok);
    expectRoundTrip(eightBit);
  }
}

TEST_F(LngcPoTest, MissingAndExtraLineNumbersComeBack) {
  expectRoundTrip("Charset | 238\n0 | Plik\n1 | Zapisz %1 jako %2\n");
  expectRoundTrip(
      "Charset | 238\n0 | Plik\n1 | Zapisz %1 jako %2\n2 | OK\n3 | Pomoc\n"
      "4 | x\n5 | y\n6 | Dodatek %1 // own\n7 | Koniec\n");
  const std::string po = folder_.read("langX.po");
  EXPECT_NE(po.find("\n#. not in langEnglish.txt: msgid is the translation's "
                    "own text\n#, qt-format\nmsgctxt \"6\"\n"
                    "msgid \"Dodatek %1\"\nmsgstr \"Dodatek %1\"\n"),
            std::string::npos)
      << po;
  expectRoundTrip("0 | no Charset line\n1 | a\n2 | b\n3 | c\n4 | d\n5 | e\n");
}

TEST_F(LngcPoTest, TheExportWritesEachEntryAsEditorsReadIt) {
  folder_.write("langPolski.txt",
                "Charset | 238 // Central European\r\n"
                "0 | Plik // mine\r\n"
                "1 | Zapisz %1 jako %2\r\n"
                "2 | OK\r\n"
                "3 | Pomoc: http://www.parlavox.example/help\r\n");
  ASSERT_EQ(run({"--verbose", "--export-po", "--reference",
                 at("langEnglish.txt"), at("langPolski.txt")}),
            0)
      << err_;
  EXPECT_EQ(out_, at("langPolski.po") + ": 6 entries, 4 translated\n");
  EXPECT_EQ(
      folder_.read("langPolski.po"),
      "msgid \"\"\nmsgstr \"\"\n"
      "\"Project-Id-Version: Parlavox\\n\"\n"
      "\"PO-Revision-Date: \\n\"\n"
      "\"Last-Translator: \\n\"\n"
      "\"Language-Team: \\n\"\n"
      "\"Language: pl\\n\"\n"
      "\"MIME-Version: 1.0\\n\"\n"
      "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
      "\"Content-Transfer-Encoding: 8bit\\n\"\n"
      "\"X-Parlavox-Charset: 238\\n\"\n"
      "\n# mine\n#. menu\n#: langEnglish.txt:3\nmsgctxt \"0\"\n"
      "msgid \"File\"\nmsgstr \"Plik\"\n"
      "\n#. %1 song, %2 type\n#: langEnglish.txt:4\n#, qt-format\n"
      "msgctxt \"1\"\nmsgid \"Save %1 as %2\"\n"
      "msgstr \"Zapisz %1 jako %2\"\n"
      "\n#: langEnglish.txt:5\nmsgctxt \"2\"\nmsgid \"OK\"\nmsgstr \"OK\"\n"
      "\n#. address\n#: langEnglish.txt:6\nmsgctxt \"3\"\n"
      "msgid \"Help: http://www.parlavox.example/help\"\n"
      "msgstr \"Pomoc: http://www.parlavox.example/help\"\n"
      "\n#: langEnglish.txt:7\nmsgctxt \"4\"\n"
      "msgid \"Say \\\"hi\\\" to C:\\\\lyrics\"\nmsgstr \"\"\n"
      "\n#: langEnglish.txt:8\nmsgctxt \"5\"\nmsgid \"Tab\\there\"\n"
      "msgstr \"\"\n");
}

TEST_F(LngcPoTest, TheTemplateHasNoTranslationNorCharset) {
  ASSERT_EQ(run({"--export-pot", at("langEnglish.txt")}), 0) << err_;
  const std::string pot = folder_.read("langEnglish.pot");
  EXPECT_NE(pot.find("\"Language: \\n\"\n"), std::string::npos);
  EXPECT_EQ(pot.find("X-Parlavox-Charset"), std::string::npos);
  EXPECT_NE(pot.find("msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"\"\n"),
            std::string::npos);
  EXPECT_EQ(pot.find("msgstr \"F"), std::string::npos);
}

TEST_F(LngcPoTest, TheImportKeepsAnEarlierSourceWithoutForce) {
  folder_.write("langPolski.po",
                "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n"
                "# mine\nmsgctxt \"1\"\nmsgid \"Save\"\nmsgstr \"Zapisz\"\n\n"
                "#, fuzzy\nmsgctxt \"2\"\nmsgid \"OK\"\nmsgstr \"Dobrze\"\n\n"
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Zażółć\"\n");
  folder_.write("langPolski.txt", "0 | old\n");
  EXPECT_EQ(run({"--import-po", at("langPolski.po")}), 1);
  EXPECT_EQ(err_, at("langPolski.po") +
                      ": langPolski.txt is there already: give --force to "
                      "replace it\n");
  EXPECT_EQ(folder_.read("langPolski.txt"), "0 | old\n");
  EXPECT_EQ(run({"--verbose", "--force", "--import-po", at("langPolski.po")}),
            0);
  EXPECT_EQ(out_, at("langPolski.txt") +
                      ": 2 strings, written in Windows-1250 (Charset 238)\n");
  EXPECT_EQ(folder_.read("langPolski.txt"),
            "Charset | 238\r\n0 | Za\xBF\xF3\xB3\xE6\r\n"
            "1 | Zapisz // mine\r\n");
}

TEST_F(LngcPoTest, AnImportThatDoesNotFitItsCodePageIsUtf8) {
  folder_.write("langPolski.po",
                "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n"
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Файл\"\n");
  EXPECT_EQ(run({"--verbose", "--import-po", at("langPolski.po")}), 0);
  EXPECT_EQ(out_, at("langPolski.txt") + ": 1 strings, written as UTF-8\n");
  EXPECT_EQ(folder_.read("langPolski.txt"), "Charset | 238\r\n0 | Файл\r\n");
}

TEST_F(LngcPoTest, APoFileCompilesWithTheChecksOfASource) {
  folder_.write(
      "langPolski.po",
      "msgid \"\"\nmsgstr \"\"\n\"Language: pl\\n\"\n"
      "\"X-Parlavox-Charset: 0\\n\"\n\n"
      "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\"\n\n"
      "msgctxt \"1\"\nmsgid \"Save %1 as %2\"\nmsgstr \"Zapisz %1\"\n");
  EXPECT_EQ(run({"--strict", "--statistics", "--reference",
                 at("langEnglish.txt"), at("langPolski.po")}),
            1);
  EXPECT_EQ(err_,
            at("langPolski.po") +
                ":2: warning: Charset 0 is Western European, but Polish is "
                "written in Charset 238 (Central European)\n" +
                at("langPolski.po") +
                ":12: warning: line number 1 uses %1 where the reference uses "
                "%1 %2\n" +
                at("langPolski.po") +
                ": warning: line numbers 2 to 5 of the reference are "
                "missing\n" +
                at("langPolski.po") +
                ": not written: 3 warnings under --strict\n");
  EXPECT_FALSE(folder_.exists("LangPolski.lng"));
  EXPECT_EQ(run({"--check", "--verbose", at("langPolski.po")}), 0);
  EXPECT_EQ(out_, at("langPolski.po") +
                      ": read as 8-bit text, written as read (Charset 0)\n" +
                      at("langPolski.po") + ": 2 strings\n");
}

TEST_F(LngcPoTest, AFaultInAPoFileNamesItsLineAndWritesNothing) {
  folder_.write("LangPolski.lng", "earlier");
  folder_.write("langPolski.po",
                "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n"
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\"\n\n"
                "msgctxt \"1\"\nmsgid \"Save\"\n"
                "msgstr \"\"\n\"Zapisz // tu\"\n");
  EXPECT_EQ(run({at("langPolski.po")}), 1);
  EXPECT_EQ(err_, at("langPolski.po") +
                      ":10: msgctxt \"1\": the translation holds \"//\", which "
                      "starts a comment in a language source (only \"://\" "
                      "may stand in a text)\n");
  EXPECT_EQ(folder_.read("LangPolski.lng"), "earlier");
  EXPECT_EQ(run({"--import-po", at("langPolski.po")}), 1);
  EXPECT_FALSE(folder_.exists("langPolski.txt"));

  folder_.write("langPolski.po",
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\n");
  EXPECT_EQ(run({at("langPolski.po")}), 1);
  EXPECT_EQ(err_,
            at("langPolski.po") + ":3: the string has no closing quote\n");
  EXPECT_EQ(folder_.read("LangPolski.lng"), "earlier");
}

TEST_F(LngcPoTest, AGapInAPoFileIsTheCompilesFault) {
  folder_.write("langPolski.po",
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\"\n\n"
                "msgctxt \"2\"\nmsgid \"OK\"\nmsgstr \"Dobrze\"\n");
  EXPECT_EQ(run({at("langPolski.po")}), 1);
  EXPECT_EQ(err_, at("langPolski.po") + ": entry for line number 1 missing\n");
}

TEST_F(LngcPoTest, ObsoleteEntriesArePassedOverWithAWarning) {
  folder_.write("langPolski.po",
                "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\"\n\n"
                "#~ msgctxt \"7\"\n#~ msgid \"Old\"\n#~ msgstr \"Stary\"\n");
  EXPECT_EQ(run({at("langPolski.po")}), 0);
  EXPECT_EQ(err_, at("langPolski.po") +
                      ":6: warning: obsolete entry (#~) passed over\n" +
                      at("langPolski.po") +
                      ": warning: without a Charset line the file is read as "
                      "Western European, but Polish is written in Charset 238 "
                      "(Central European)\n");
  EXPECT_EQ(folder_.read("LangPolski.lng"), "\r\nPlik\r\n");
}

TEST_F(LngcPoTest, BytesThatAPoFileCannotGiveBackAreAFaultOfTheExport) {
  folder_.write("langX.txt", "Charset | 0\r\n0 | a\x81z\r\n");
  EXPECT_EQ(run({"--export-po", "--reference", at("langEnglish.txt"),
                 at("langX.txt")}),
            1);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":2: line number 0 holds bytes that Windows-1252, the "
                      "code page of Charset 0, has no characters for: a PO "
                      "file could not give them back; retype them\n");
  folder_.write("langX.txt", "Charset | 1\r\n0 | x // caf\xE9\r\n");
  EXPECT_EQ(run({"--export-po", "--reference", at("langEnglish.txt"),
                 at("langX.txt")}),
            1);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":2: the comment of line number 0 holds bytes beyond "
                      "ASCII, but Charset 1 names no code page to read them "
                      "in: save the source as UTF-8\n");
  EXPECT_FALSE(folder_.exists("langX.po"));
}

TEST_F(LngcPoTest, AFaultLateInALongExportKeepsTheEarlierPoFile) {
  std::string source = "Charset | 0\r\n";
  for (int n = 0; n < 30000; ++n) {
    source += std::to_string(n) + " | Text number " + std::to_string(n) +
              " of the song list\r\n";
  }
  source += "30000 | a\x81z\r\n";
  folder_.write("langX.txt", source);
  folder_.write("langX.po", "work");
  EXPECT_EQ(run({"--force", "--export-po", "--reference", at("langEnglish.txt"),
                 at("langX.txt")}),
            1);
  EXPECT_EQ(err_, at("langX.txt") +
                      ":30002: line number 30000 holds bytes that "
                      "Windows-1252, the code page of Charset 0, has no "
                      "characters for: a PO file could not give them back; "
                      "retype them\n");
  EXPECT_EQ(folder_.read("langX.po"), "work");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{
                                 "langEnglish.txt", "langX.po", "langX.txt"}));
}

// A PO file of 80,000 entries (5 MB), large enough to be read in halves and its
// source written in many parts as it is read: `texts` gives entry n's text,
// `header` stands first, or last where `late`.
std::string longPo(const std::function<std::string(int)>& texts,
                   std::string_view header, bool late = false,
                   bool falling = false) {
  std::string po = late ? "" : std::string(header);
  for (int i = 0; i < 80000; ++i) {
    const int n = falling ? 79999 - i : i;
    po += "# uwaga\nmsgctxt \"" + std::to_string(n) +
          "\"\nmsgid \"Text\"\nmsgstr \"" + texts(n) + "\"\n\n";
  }
  return late ? po + std::string(header) : po;
}

// Where two long texts first differ, shortly; empty where they are equal.
std::string differenceOf(std::string_view a, std::string_view b) {
  if (a == b) return {};
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "sizes " + std::to_string(a.size()) + " and " +
         std::to_string(b.size()) + ", from byte " + std::to_string(at) +
         ": \"" + std::string(a.substr(at, 20)) + "\" and \"" +
         std::string(b.substr(at, 20)) + "\"";
}

TEST_F(LngcPoTest, ALongImportWrittenAsItIsReadIsWhatItsCatalogMakes) {
  const std::string header =
      "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n";
  const auto polish = [](int n) { return "Zażółć " + std::to_string(n); };
  struct Case {
    std::string name;
    std::string po;
    std::string written;  // as --verbose says
  };
  const Case cases[] = {
      {"in its code page", longPo(polish, header), "in Windows-1250"},
      {"an early text that does not fit",
       longPo([&](int n) { return n == 100 ? "Файл" : polish(n); }, header),
       "as UTF-8"},
      {"a last text that does not fit",
       longPo([&](int n) { return n == 79999 ? "Файл" : polish(n); }, header),
       "as UTF-8"},
      {"bytes that would read as UTF-8",
       longPo([](int) { return "\xC4\x82\xC2\xA9"; }, header), "as UTF-8"},
      {"the header last", longPo(polish, header, true), "in Windows-1250"},
      {"numbers falling", longPo(polish, header, false, true),
       "in Windows-1250"},
      {"no header", longPo(polish, ""), "as UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder_.write("langX.txt", "work");
    folder_.write("langX.po", c.po);
    ASSERT_EQ(run({"--verbose", "--force", "--import-po", at("langX.po")}), 0)
        << err_;
    EXPECT_NE(out_.find(c.written), std::string::npos) << out_;
    const PoReadResult read = readPo(c.po);
    ASSERT_TRUE(read.ok());
    const PoSource source = sourceFromPo(*read.catalog, PoLayout::kNumberOrder);
    EXPECT_EQ(differenceOf(folder_.read("langX.txt"),
                           encodeSource(source.text, source.charset).bytes),
              "");
    EXPECT_EQ(
        folder_.names(),
        (std::vector<std::string>{"langEnglish.txt", "langX.po", "langX.txt"}));
  }
  // A fault at the end, after most of the source was written: the earlier
  // source stays, and nothing else is left.
  folder_.write("langX.txt", "work");
  folder_.write("langX.po", longPo(polish, header) +
                                "msgctxt \"x\"\nmsgid \"A\"\nmsgstr \"B\"\n");
  EXPECT_EQ(run({"--force", "--import-po", at("langX.po")}), 1);
  EXPECT_EQ(err_,
            at("langX.po") + ":400004: msgctxt \"x\" is no line number\n");
  EXPECT_EQ(folder_.read("langX.txt"), "work");
  EXPECT_EQ(folder_.names(), (std::vector<std::string>{
                                 "langEnglish.txt", "langX.po", "langX.txt"}));
}

TEST_F(LngcPoTest, TheExportKeepsAnEarlierPoFileWithoutForce) {
  folder_.write("langX.txt", "0 | a\n");
  folder_.write("langX.po", "work");
  EXPECT_EQ(run({"--export-po", "--reference", at("langEnglish.txt"),
                 at("langX.txt")}),
            1);
  EXPECT_EQ(err_, at("langX.txt") +
                      ": langX.po is there already: give --force to replace "
                      "it\n");
  EXPECT_EQ(folder_.read("langX.po"), "work");
}

TEST_F(LngcPoTest, UsageErrors) {
  EXPECT_EQ(run({"--export-po", at("langEnglish.txt")}), 2);
  EXPECT_EQ(err_,
            "parlavox-lngc: --export-po needs --reference (see parlavox-lngc "
            "--help)\n");
  EXPECT_EQ(run({"--import-po", at("langEnglish.txt")}), 2);
  EXPECT_EQ(err_,
            "parlavox-lngc: '" + at("langEnglish.txt") +
                "' is not named langNAME.po (see parlavox-lngc --help)\n");
  EXPECT_EQ(run({"--import-po", "--export-pot", at("langX.po")}), 2);
  EXPECT_EQ(err_,
            "parlavox-lngc: --export-po, --export-pot, --import-po and "
            "--update exclude each other (see parlavox-lngc --help)\n");
  folder_.write("langX.po", "msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"b\"\n");
  EXPECT_EQ(run({"--reference", at("langX.po"), at("langEnglish.txt")}), 2);
  EXPECT_EQ(err_, "parlavox-lngc: '" + at("langX.po") +
                      "' is not named langNAME.txt (see parlavox-lngc "
                      "--help)\n");
  EXPECT_EQ(
      run({"--update", "--reference", at("langEnglish.txt"), at("langX.po")}),
      2);
  EXPECT_EQ(err_, "parlavox-lngc: '" + at("langX.po") +
                      "' is a PO file: --update appends to a langNAME.txt; "
                      "merge a PO file with msgmerge (see parlavox-lngc "
                      "--help)\n");
}

}  // namespace
}  // namespace parlavox
