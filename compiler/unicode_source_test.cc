// Sources as editors save them (UTF-8 with and without a mark, UTF-16 in
// either byte order, CR LF) and double-byte sources compiled to the bytes
// the application reads in the code page of their Charset.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"
#include "compiler/encodings/utf16.h"
#include "compiler/files/test_folder.h"
#include "compiler/format/entry_table.h"
#include "compiler/source/encoding_check.h"

namespace parlavox {
namespace {

using namespace std::string_literals;

// `utf8` in each form an editor's Save dialog offers.
struct SavedForm {
  std::string name;
  std::string bytes;
};

std::string utf16Bytes(std::string_view utf8, bool bigEndian) {
  return parlavox::utf16Bytes(utf16FromUtf8(utf8).value(), bigEndian);
}

std::vector<SavedForm> savedForms(std::string_view utf8) {
  return {{"UTF-8", std::string(utf8)},
          {"UTF-8 with mark", "\xEF\xBB\xBF" + std::string(utf8)},
          {"UTF-16 LE", "\xFF\xFE" + utf16Bytes(utf8, false)},
          {"UTF-16 BE", "\xFE\xFF" + utf16Bytes(utf8, true)}};
}

// The compiled file of `source`, or the fault's line and message.
std::string compiled(std::string_view source) {
  TestFolder folder;
  folder.write("langX.txt", source);
  const CompileResult result = compileLanguage(folder.path(), "X");
  if (!result.ok()) {
    return "fault " + std::to_string(result.line()) + ": " + result.message();
  }
  return folder.read("LangX.lng");
}

struct CodePageCase {
  unsigned charset;
  std::string_view text;      // as the editor shows it
  std::string_view expected;  // the code page's bytes
};

// A character or two of each code page that the application reads, with
// their bytes; the double-byte ones with second bytes that are "\" and "|".
constexpr CodePageCase kCodePageCases[] = {
    {0, "Café 5€", "Caf\xE9 5\x80"},
    {77, "Café", "Caf\x8E"},
    {161, "Ωμέγα", "\xD9\xEC\xDD\xE3\xE1"},
    {162, "Kapı aç, şimdi", "Kap\xFD a\xE7, \xFEimdi"},
    {163, "Tiếng Việt ư", "Ti\xEA\xECng Vi\xEA\xF2t \xFD"},
    {177, "שלום", "\xF9\xEC\xE5\xED"},
    {178, "عربي", "\xDA\xD1\xC8\xED"},
    {186, "Ąžuolas", "\xC0\xFEuolas"},
    {204, "Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
    {222, "ภาษาไทย", "\xC0\xD2\xC9\xD2\xE4\xB7\xC2"},
    {238, "Zażółć gęślą", "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9"},
    {128, "ソフト表示ポ", "\x83\x5C\x83\x74\x83\x67\x95\x5C\x8E\xA6\x83\x7C"},
    {129, "한국어", "\xC7\xD1\xB1\xB9\xBE\xEE"},
    {130, "한", "\xD0\x65"},
    {134, "中文", "\xD6\xD0\xCE\xC4"},
    {136, "許功蓋", "\xB3\x5C\xA5\x5C\xBB\x5C"},
};

TEST(UnicodeSourceTest, EverySavedFormIsWrittenInTheCodePageOfItsCharset) {
  for (const CodePageCase& c : kCodePageCases) {
    const std::string charset = std::to_string(c.charset);
    const std::string source = "// X\r\nCharset | " + charset + "\r\n0 | " +
                               std::string(c.text) +
                               " // note\r\n1 | a://b c:\\\\d\r\n";
    const std::string expected =
        charset + "\r\n" + std::string(c.expected) + "\r\na://b c://d\r\n";
    for (const SavedForm& form : savedForms(source)) {
      EXPECT_EQ(compiled(form.bytes), expected)
          << "Charset " << charset << ", " << form.name;
    }
  }
}

TEST(UnicodeSourceTest, PrecomposedVietnameseIsWrittenAsLetterAndMark) {
  // ạ (U+1EA1) is a with a combining dot below (0xF2); ấ is â and acute.
  EXPECT_EQ(compiled("Charset | 163\r\n0 | ạ ấ\r\n"),
            "163\r\na\xF2 \xE2\xEC\r\n");
}

TEST(UnicodeSourceTest, CharacterWithoutPlaceIsAFaultOnItsLine) {
  EXPECT_EQ(compiled("Charset | 0\r\n0 | a\r\n1 | Grő\r\n"),
            "fault 3: character \"ő\" (U+0151) in line number 1 has no place "
            "in Windows-1252, the code page of Charset 0; every text fits "
            "Charset 238 (Central European)");
  EXPECT_EQ(compiled("Charset | 128\n0 | 5€\n"),
            "fault 2: character \"€\" (U+20AC) in line number 0 has no place "
            "in Windows-932, the code page of Charset 128; every text fits "
            "Charset 0 (Western European)");
  EXPECT_EQ(compiled("Charset | 204\n0 | 😀\n"),
            "fault 2: character \"😀\" (U+1F600) in line number 0 has no "
            "place in Windows-1251, the code page of Charset 204");
}

TEST(UnicodeSourceTest, WithoutAKnownCodePageTheBytesAreWrittenAsRead) {
  for (const std::string charset : {"1", "2", "255", "7", ""}) {
    const std::string line =
        charset.empty() ? "" : "Charset | " + charset + "\r\n";
    EXPECT_EQ(compiled(line + "0 | Grő\r\n"), charset + "\r\nGrő\r\n")
        << charset;
  }
  // UTF-16 is written as the UTF-8 it was read as.
  EXPECT_EQ(
      compiled("\xFF\xFE" + utf16Bytes("Charset | 1\r\n0 | ő\r\n", false)),
      "1\r\nő\r\n");
}

// Shift-JIS: デ 83 66, ー 81 5B, タ 83 5E, ソ 83 5C, ポ 83 7C, 表 95 5C.
constexpr std::string_view kShiftJisSource =
    "Charset | 128\r\n"
    "1 | \x83\x66\x81\x5B\x83\x5E\x82\xF0\x95\xDB\x91\xB6 %1\r\n"
    "0 | \x83\x5C\x83\x74\x83\x67 // \x83\x52\x83\x81\x83\x93\x83\x67\r\n"
    "2 | \x83\x7C|\x83\x5C://x.example \x95\x5C\r\n"
    "3 | \x95\x5C// \x83\x7C\r\n";

constexpr std::string_view kShiftJisCompiled =
    "128\r\n"
    "\x83\x5C\x83\x74\x83\x67\r\n"
    "\x83\x66\x81\x5B\x83\x5E\x82\xF0\x95\xDB\x91\xB6 %1\r\n"
    "\x83\x7C|\x83\x5C://x.example \x95\x5C\r\n"
    "\x95\x5C\r\n";

TEST(UnicodeSourceTest, DoubleByteSourceIsSplitBetweenCharactersOnly) {
  EXPECT_EQ(compiled(kShiftJisSource), kShiftJisCompiled);
  // The same source saved as UTF-8 compiles to the same bytes.
  EXPECT_EQ(compiled("Charset | 128\r\n"
                     "1 | データを保存 %1\r\n"
                     "0 | ソフト // コメント\r\n"
                     "2 | ポ|ソ://x.example 表\r\n"
                     "3 | 表// ポ\r\n"),
            kShiftJisCompiled);
  // Big5: 許 B3 5C, 功 A5 5C, and GBK.
  EXPECT_EQ(compiled("Charset | 136\n0 | \xB3\x5C\xA5\x5C|\n1 | \xA5\x5C\n"),
            "136\r\n\xB3\x5C\xA5\x5C|\r\n\xA5\x5C\r\n");
  EXPECT_EQ(compiled("Charset | 134\n0 | \xD6\xD0\xCE\xC4\n"),
            "134\r\n\xD6\xD0\xCE\xC4\r\n");
  // Johab has ":" as a second byte: E0 3A is one character, not ":\\".
  EXPECT_EQ(compiled("Charset | 130\n0 | \xE0\x3A\\\\ a:\\\\b\n"),
            "130\r\n\xE0\x3A\\\\ a://b\r\n");
}

TEST(UnicodeSourceTest, FaultsQuoteCharactersAsTheEditorShowsThem) {
  // ソ (83 5C) before the "|" is no line number.
  EXPECT_EQ(compiled("Charset | 128\r\n\x83\x5C | x\r\n"),
            "fault 2: string delimiter | missing in line \"ソ | x\" (1)");
  EXPECT_EQ(compiled("Charset | 204\r\n\xCF\xF0\xE8 | x\r\n"),
            "fault 2: string delimiter | missing in line \"При | x\" (1)");
  EXPECT_EQ(
      compiled("\xFE\xFF" +
               utf16Bytes("Charset | 204\r\nПри | x://y\r\n", true)),
      "fault 2: string delimiter | missing in line \"При | x:\\\\y\" (1)");
  // Without a Charset line an 8-bit text is read as Windows-1252.
  EXPECT_EQ(compiled("\xE9 | x\r\n"),
            "fault 1: string delimiter | missing in line \"é | x\" (0)");
  EXPECT_EQ(compiled("\x81\x5C | x\r\n"),
            "fault 1: string delimiter | missing in line \"\xEF\xBF\xBD\\ | "
            "x\" (0)");
  EXPECT_EQ(compiled("0 | a\r\n-\x83\x5C | b\r\nCharset | 128\r\n"),
            "fault 2: string delimiter | missing in line \"-ソ | b\" (1)");
}

TEST(UnicodeSourceTest, MarkIsNeverPartOfTheFirstLine) {
  for (const SavedForm& form : savedForms("0 | a\r\n1 | b")) {
    EXPECT_EQ(compiled(form.bytes), "\r\na\r\nb\r\n") << form.name;
  }
  for (const SavedForm& form : savedForms("x | a\r\n")) {
    EXPECT_EQ(compiled(form.bytes),
              "fault 1: string delimiter | missing in line \"x | a\" (0)")
        << form.name;
  }
}

// What loading `source` whole and writing its table gives, or the fault, as
// compiled() gives it.
std::string tabled(std::string_view source) {
  TestFolder folder;
  folder.write("langX.txt", source);
  EntryTable table;
  SourceFile file;
  CompileResult result = loadLanguage(folder.path(), "X", &table, &file);
  if (result.ok()) result = writeLanguage(folder.path(), "X", table, &file);
  if (!result.ok()) {
    return "fault " + std::to_string(result.line()) + ": " + result.message();
  }
  return folder.read("LangX.lng");
}

// compiled() with the source read in blocks of `blockSize` bytes.
std::string compiledInBlocks(std::string_view source, std::size_t blockSize) {
  TestFolder folder;
  folder.write("langX.txt", source);
  CompileOptions options;
  options.blockSize = blockSize;
  const CompileResult result = compileLanguage(folder.path(), "X", options);
  if (!result.ok()) {
    return "fault " + std::to_string(result.line()) + ": " + result.message();
  }
  return folder.read("LangX.lng");
}

TEST(UnicodeSourceTest, LargeSourceWithALateOrNoCharsetLineCompilesAsItsTable) {
  // More texts before any Charset line than the compile keeps waiting.
  std::string texts;
  constexpr int kCount = 700000;
  for (int n = 0; n < kCount; ++n) {
    texts += std::to_string(n) + " | Zapisz plik jako\r\n";
  }
  for (const std::string& source :
       {texts, texts + "Charset | 238\r\n", texts + "700000 | żółw\r\n",
        texts + "700000 | żółw\r\nCharset | 238\r\n"}) {
    const std::string expected = tabled(source);
    // Texts of 16 bytes: 11.2 MB of them wait for the Charset line.
    ASSERT_GT(expected.size(), std::size_t{kCount} * 18);
    EXPECT_EQ(compiledInBlocks(source, kSourceBlockSize), expected);
  }
}

TEST(UnicodeSourceTest, EveryFormInBlocksOfAnySizeCompilesAsItsTable) {
  std::vector<std::string> sources = {
      std::string(kShiftJisSource),
      "0 | \x83\x7C|a\r\n1 | b\r\n"
      "  Charset | 128 // late\r\n",
      "Charset | 130\n0 | \xE0\x3A\\\\ a:\\\\b\n"};
  // Texts kept for their turn, one of them without a place in 1250, after
  // a fault on a later line: the source's fault comes first.
  const std::string reversed = "2 | c\r\n1 | ż\r\n0 | 日\r\nCharset | 238\r\n";
  for (const std::string& utf8 : std::vector<std::string>{
           reversed, reversed + "4 | gap\r\n",
           "Charset | 238\r\n0 | Zażółć\r\n",
           "Charset | 238\r\n0 | a^1 | \xF0\x9F\x98\x80\r\n"}) {
    for (const SavedForm& form : savedForms(utf8)) {
      sources.push_back(form.bytes);
    }
  }
  // UTF-16 with a lone surrogate after a line that does not parse.
  sources.push_back("\xFF\xFE" + utf16Bytes("x\r\n0 | a", false) + "\x00\xD8"s +
                    utf16Bytes("\r\n", false));
  sources.push_back("\xFE\xFF" + utf16Bytes("0 | a\r\n", true) + "z");
  for (const std::string& source : sources) {
    const std::string expected = tabled(source);
    for (std::size_t blockSize : {1, 2, 3, 5, 8, 13, 4096}) {
      EXPECT_EQ(compiledInBlocks(source, blockSize), expected)
          << "in blocks of " << blockSize << ": " << source;
    }
  }
  // What some of them come to, so that the table itself is pinned too.
  EXPECT_EQ(tabled("\xEF\xBB\xBF" + reversed),
            "fault 3: character \"日\" (U+65E5) in line number 0 has no "
            "place in Windows-1250, the code page of Charset 238");
  EXPECT_EQ(tabled(reversed + "4 | gap\r\n"),
            "fault 0: entry for line number 3 missing");
  EXPECT_EQ(tabled(sources[1]), "128\r\n\x83\x7C|a\r\nb\r\n");
}

// The encoding findings of `source` as "line kind byte" lines: from a
// compile in blocks of `blockSize`, or (0) from the table of the whole.
std::string findings(std::string_view source, std::size_t blockSize) {
  TestFolder folder;
  folder.write("langX.txt", source);
  std::vector<EncodingFinding> found;
  if (blockSize == 0) {
    EntryTable table;
    SourceFile file;
    if (!loadLanguage(folder.path(), "X", &table, &file).ok()) return "fault";
    TableText text = TableText::kBytes;
    if (isUnicode(file.encoding)) {
      text = codePageOfTable(table, file.encoding) != nullptr
                 ? TableText::kConverted
                 : TableText::kUtf8AsRead;
    }
    found = checkEncoding(table, text);
  } else {
    CompileOptions options;
    options.checkEncoding = true;
    options.blockSize = blockSize;
    CompileReport report;
    compileLanguage(folder.path(), "X", options, &report);
    if (!report.scanned) return "fault";
    found = report.findings;
  }
  std::string text;
  for (const EncodingFinding& finding : found) {
    text += std::to_string(finding.physicalLine) + " " +
            std::to_string(static_cast<int>(finding.kind)) + " " +
            std::to_string(finding.byte) + "\n";
  }
  return text;
}

TEST(UnicodeSourceTest, StreamedCompileFindsWhatTheTableCheckFinds) {
  std::vector<std::string> sources = {
      // 8-bit: bytes Windows-1250 leaves undefined, before and after the
      // Charset line, and a control character.
      "0 | a\x81\r\nCharset | 238\r\n1 | \x83"
      "b\x01\r\n",
      "Charset | 7\r\n0 | \xE9\r\n",
      // UTF-8 but for a Windows-1250 «ż» on line 3, so read as 8-bit.
      "Charset | 238\r\n0 | Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n"
      "1 | \xBF\x01\r\n",
  };
  for (const std::string& utf8 : std::vector<std::string>{
           // No Charset line: read as Windows-1252 but saved as UTF-8.
           "0 | a\r\n// ü\r\n1 | ä\r\n",
           // A Charset without a code page here, and one with.
           "Charset | 2\r\n0 | a\r\n1 | \x01ä\r\n",
           "Charset | 238\r\n0 | \x02ż\r\n",
       }) {
    for (const SavedForm& form : savedForms(utf8)) {
      sources.push_back(form.bytes);
    }
  }
  for (const std::string& source : sources) {
    const std::string expected = findings(source, 0);
    for (std::size_t blockSize : {1, 3, 4096}) {
      EXPECT_EQ(findings(source, blockSize), expected)
          << "in blocks of " << blockSize << ": " << source;
    }
  }
  // Pinned: the UTF-8 saved without a Charset line, on its first line with
  // a character beyond ASCII, in every saved form.
  EXPECT_EQ(findings(sources[3], 0), "2 1 0\n");
  EXPECT_EQ(findings(sources[6], 0), "2 1 0\n");
  // Pinned: the file that is UTF-8 but for byte 0xBF, beside the control
  // character on its line.
  EXPECT_EQ(findings(sources[2], 0), "3 3 1\n3 5 191\n");
}

TEST(UnicodeSourceTest, TextsBeyondWhatWaitsForALateCharsetLineAreChecked) {
  // More texts come before the Charset line than wait for it: the compile
  // writes on as if there were none, then reads the source again once the
  // line comes. Windows-1252 has 0x83, Windows-1250 does not; neither has
  // 0x81.
  constexpr int kBefore = 250000;
  std::string texts = "0 | \x83 first\r\n";
  for (int n = 1; n < kBefore; ++n) {
    texts += std::to_string(n) + " | text " + std::to_string(n) +
             (n == kBefore - 2 ? " \x81" : " of some length") + "\r\n";
  }
  const std::string late = texts + "Charset | 238\r\n" +
                           std::to_string(kBefore) + " | \x83 after\r\n";
  const std::string none =
      texts + std::to_string(kBefore) + " | \x83 after\r\n";
  const std::size_t lines = kBefore + 2;
  EXPECT_EQ(findings(late, kSourceBlockSize), findings(late, 0));
  EXPECT_EQ(findings(late, 0), "1 2 131\n" + std::to_string(kBefore - 1) +
                                   " 2 129\n" + std::to_string(lines) +
                                   " 2 131\n");
  EXPECT_EQ(findings(none, kSourceBlockSize), findings(none, 0));
  EXPECT_EQ(findings(none, 0), std::to_string(kBefore - 1) + " 2 129\n");
  const std::string compiled238 = compiled(late);
  EXPECT_EQ(compiled238.substr(0, 20), "238\r\n\x83 first\r\ntext 1");
  EXPECT_TRUE(compiled238 == tabled(late));
  EXPECT_TRUE(compiled(none) == tabled(none));

  // Saved as UTF-8 and UTF-16, whose texts the late line's code page
  // converts: a control character before it and one after.
  std::string utf8 = "0 | \x01 zażółć\r\n";
  for (int n = 1; n < kBefore; ++n) {
    utf8 += std::to_string(n) + " | tekst " + std::to_string(n) + " łódź\r\n";
  }
  utf8 += "Charset | 238\r\n" + std::to_string(kBefore) + " | \x02ż\r\n";
  for (const SavedForm& form : savedForms(utf8)) {
    EXPECT_EQ(findings(form.bytes, kSourceBlockSize),
              "1 3 1\n" + std::to_string(lines) + " 3 2\n")
        << form.name;
    const std::string written = compiled(form.bytes);
    EXPECT_EQ(written.substr(0, 15), "238\r\n\x01 za\xBF\xF3\xB3\xE6\r\n")
        << form.name;
    EXPECT_TRUE(written == tabled(form.bytes)) << form.name;
  }
}

}  // namespace
}  // namespace parlavox

namespace parlavox {
namespace {

TEST(UnicodeSourceTest, AFileOfNothingButAByteOrderMarkIsEmpty) {
  // An editor shows such a file as empty; the compile says so, in one pass
  // and from the whole table, and keeps the earlier compiled file.
  for (const std::string mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    TestFolder folder;
    folder.write("langX.txt", mark);
    folder.write("LangX.lng", "earlier\r\n");
    const CompileResult streamed = compileLanguage(folder.path(), "X");
    EXPECT_EQ(streamed.message(), "Lang.txt is empty. Not compiled");
    EXPECT_EQ(streamed.line(), 0u);
    EntryTable table;
    SourceFile file;
    EXPECT_EQ(loadLanguage(folder.path(), "X", &table, &file).message(),
              "Lang.txt is empty. Not compiled");
    EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
  }
  // A mark and a line end are a source without line number 0.
  EXPECT_EQ(compiled("\xEF\xBB\xBF\r\n"),
            "fault 0: entry for line number 0 missing");
  // Half a UTF-16 character after the mark is still that fault.
  EXPECT_EQ(compiled("\xFF\xFE"
                     "0"),
            "fault 1: the file is saved as UTF-16, but it ends in half a "
            "character (an odd number of bytes)");
}

// The outcome of `source` read whole, which the compile in one pass, in
// blocks of any size, must match.
std::string everyWay(std::string_view source) {
  std::string whole = tabled(source);
  for (std::size_t blockSize : {1, 3, 4096}) {
    EXPECT_EQ(compiledInBlocks(source, blockSize), whole)
        << "in blocks of " << blockSize;
  }
  return whole;
}

constexpr std::string_view kUnmarkedLe =
    "fault 0: the file looks like UTF-16 LE saved without a byte-order "
    "mark: save it again as UTF-16 with a byte-order mark (\"Unicode\" in "
    "Notepad), or as UTF-8";
constexpr std::string_view kUnmarkedBe =
    "fault 0: the file looks like UTF-16 BE saved without a byte-order "
    "mark: save it again as UTF-16 with a byte-order mark (\"Unicode\" in "
    "Notepad), or as UTF-8";

// A source without a byte-order mark is read as UTF-8 until a byte proves
// it is not; then it is read again as 8-bit, and must come out as its table.
TEST(UnicodeSourceTest, SourcesThatTurnOutNotUtf8CompileAsTheirTable) {
  // UTF-8 up to a Windows-1250 «ł» on the last line: all of it is 8-bit.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | Za\xC5\xBC\xC3\xB3\r\n1 | \xB3\r\n"),
            "238\r\nZa\xC5\xBC\xC3\xB3\r\n\xB3\r\n");
  // A character that Windows-1250 has no place for, read as UTF-8 first, is
  // then two bytes like any other.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | \xE6\x97\xA5\r\n1 | \xB3\r\n"),
            "238\r\n\xE6\x97\xA5\r\n\xB3\r\n");
  // A sequence that the end of the file cuts off.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | \xC5\xBC\xC5"),
            "238\r\n\xC5\xBC\xC5\r\n");
  // The Charset line comes after the byte that proves the file 8-bit, and
  // names a double-byte page whose second bytes may look like "|".
  EXPECT_EQ(everyWay("0 | \xC5\xBC\r\n1 | \x83\x7C|a\r\nCharset | 128\r\n"),
            "128\r\n\xC5\xBC\r\n\x83\x7C|a\r\n");
  // A fault among UTF-8 texts of a file that later proves 8-bit quotes its
  // bytes in the code page: «Ĺ»«Ľ» are Windows-1250's 0xC5 0xBC.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | a\r\n0 | \xC5\xBC\r\n1 | \xB3\r\n"),
            "fault 3: double entry for line number 0");
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | a\r\n\xC5\xBC | b\r\n1 | \xB3\r\n"),
            "fault 3: string delimiter | missing in line \"\xC4\xB9\xC4\xBD | "
            "b\" (2)");
  // The same fault in a file that stays UTF-8 quotes its characters.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | a\r\n\xC5\xBC | b\r\n"),
            "fault 3: string delimiter | missing in line \"\xC5\xBC | b\" (2)");
}

TEST(UnicodeSourceTest, Utf16WithoutAByteOrderMarkIsAFault) {
  for (const std::string& text :
       {"Charset | 238\r\n0 | Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\r\n"s,
        "// ASCII alone\r\n0 | a\r\n"s, "0 | \xC3\xA9t\xC3\xA9"s}) {
    EXPECT_EQ(everyWay(utf16Bytes(text, false)), kUnmarkedLe) << text;
    EXPECT_EQ(everyWay(utf16Bytes(text, true)), kUnmarkedBe) << text;
    // Cut short by a byte, it still looks like UTF-16.
    EXPECT_EQ(everyWay(utf16Bytes(text, false) + "\r"), kUnmarkedLe) << text;
  }
  // Beyond the bytes looked at, anything may follow.
  EXPECT_EQ(everyWay(utf16Bytes(std::string(200, ' ') + "0 | a", false) +
                     std::string(1000, '\xE9')),
            kUnmarkedLe);
  TestFolder folder;
  folder.write("langX.txt", utf16Bytes("0 | a\r\n", false));
  folder.write("LangX.lng", "earlier\r\n");
  EXPECT_FALSE(compileLanguage(folder.path(), "X").ok());
  EXPECT_EQ(folder.read("LangX.lng"), "earlier\r\n");
}

TEST(UnicodeSourceTest, NulsInAnEightBitSourceAreNoUtf16) {
  // A NUL beside the first character, but not in half the characters.
  EXPECT_EQ(everyWay("0\0| a\r\n1 | bcdefgh\r\n"s),
            "fault 1: string delimiter | missing in line \"0<0x00>| a\" (0)");
  // A NUL in a text is kept, as every byte is.
  EXPECT_EQ(everyWay("Charset | 238\r\n0 | a\0\xBF\r\n"s),
            "238\r\na\0\xBF\r\n"s);
  EXPECT_EQ(everyWay("0 | \0\0\0\0\0\0\r\n"s), "\r\n\0\0\0\0\0\0\r\n"s);
}

TEST(UnicodeSourceTest, FaultsShowControlBytesAndNeverHoldThem) {
  // In an ASCII source, and in one beyond ASCII, read in its code page.
  EXPECT_EQ(everyWay("0 | a\r\nx\0y | b\r\n"s),
            "fault 2: string delimiter | missing in line \"x<0x00>y | b\" (1)");
  EXPECT_EQ(everyWay("0 | a\r\n\x1B[1m\x7F\t | b\r\n"),
            "fault 2: string delimiter | missing in line \"<0x1B>[1m<0x7F>\t "
            "| b\" (1)");
  EXPECT_EQ(everyWay("Charset | 238\r\n\xBF\0\x1F | b\r\n"s),
            "fault 2: string delimiter | missing in line "
            "\"\xC5\xBC<0x00><0x1F> | b\" (1)");
  // In a UTF-16 one.
  EXPECT_EQ(everyWay("\xFF\xFE" + utf16Bytes("\x01x | b\r\n", false)),
            "fault 1: string delimiter | missing in line \"<0x01>x | b\" (0)");
}

}  // namespace
}  // namespace parlavox
