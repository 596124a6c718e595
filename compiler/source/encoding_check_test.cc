#include "compiler/source/encoding_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "compiler/encodings/languages.h"
#include "compiler/format/language_source.h"
#include "compiler/format/source_scanner.h"

namespace parlavox {
namespace {

// Each finding as "LINE kind", with the byte or the Charset that matters:
// "4 utf8 238", "2 undefined 0x81 238", "1 charset 'x'", "3 control 0x07".
std::vector<std::string> describe(
    const std::vector<EncodingFinding>& findings) {
  std::vector<std::string> found;
  for (const EncodingFinding& f : findings) {
    std::string line = std::to_string(f.physicalLine);
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", f.byte);
    switch (f.kind) {
      case EncodingFinding::Kind::kUnknownCharset:
        line += " charset '" + f.charsetText + "'";
        break;
      case EncodingFinding::Kind::kUtf8Text:
        line += " utf8 " + std::to_string(f.charset->value);
        break;
      case EncodingFinding::Kind::kUndefinedByte:
        line += " undefined " + std::string(byte) + " " +
                std::to_string(f.charset->value);
        break;
      case EncodingFinding::Kind::kControlCharacter:
        line += " control " + std::string(byte);
        break;
      case EncodingFinding::Kind::kLanguageCharset:
        line += " language " + std::string(f.language->english);
        break;
      case EncodingFinding::Kind::kUtf8ButForBytes:
        line += " utf8-but-for " + std::string(byte) + " " +
                std::to_string(f.charset->value);
        break;
    }
    found.push_back(line);
  }
  return found;
}

// The findings of the watch over `source` scanned in blocks of `blockSize`.
std::vector<std::string> watched(std::string_view source,
                                 std::size_t blockSize) {
  EncodingWatch watch;
  SourceScanner scanner(&watch, source.size());
  for (std::size_t at = 0; at < source.size(); at += blockSize) {
    watch.observe(source.substr(at, blockSize));
    scanner.feed(source.substr(at, blockSize));
  }
  EXPECT_TRUE(scanner.finish().ok());
  return describe(watch.finish([&](std::uint64_t offset) {
    return physicalLineAt(source, static_cast<std::size_t>(offset));
  }));
}

// The findings of the table's check, which the watch must find as well,
// whatever blocks the source comes in.
std::vector<std::string> check(std::string_view source) {
  ParseResult parsed = parseLanguageSource(source);
  EXPECT_TRUE(parsed.ok()) << parsed.fault.message;
  if (!parsed.ok()) return {};
  std::vector<std::string> found = describe(checkEncoding(*parsed.table));
  for (std::size_t blockSize : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                std::size_t{7}, source.size()}) {
    EXPECT_EQ(watched(source, blockSize), found)
        << testing::PrintToString(std::string(source)) << " in blocks of "
        << blockSize;
  }
  return found;
}

using Found = std::vector<std::string>;
using namespace std::string_literals;

// "Zażółć gęślą jaźń. Łódź, Šibenik, Ťava" in Windows-1250, and in UTF-8.
constexpr std::string_view kPolish1250 =
    "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1. \xA3\xF3\x64\x9F, "
    "\x8Aibenik, \x8D\x61va";
constexpr std::string_view kPolishUtf8 =
    "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 "
    "ja\xC5\xBA\xC5\x84. \xC5\x81\xC3\xB3\x64\xC5\xBA, \xC5\xA0ibenik, "
    "\xC5\xA4\x61va";

std::string polishSource(std::string_view text) {
  return "// Polski\r\nCharset | 238\r\n\r\n0 | File\r\n1 | " +
         std::string(text) + " // menu\r\n2 | " + std::string(text) + "\r\n";
}

TEST(EncodingCheckTest, CodePageTextHasNoFinding) {
  EXPECT_EQ(check(polishSource(kPolish1250)), Found{});
}

TEST(EncodingCheckTest, SameTextInUtf8IsOneFindingOnItsFirstLine) {
  // Its bytes include 0x81 ("\xC5\x81" is the capital L with stroke),
  // undefined in Windows-1250, which is not reported on its own.
  EXPECT_EQ(check(polishSource(kPolishUtf8)), Found{"5 utf8 238"});
}

TEST(EncodingCheckTest, Utf8IsFoundWhereverTheSequenceFalls) {
  // Sequences across the eight-byte steps of the ASCII scan, and at the
  // very end of the source.
  for (std::size_t pad = 0; pad < 17; ++pad) {
    const std::string padding(pad, 'x');
    EXPECT_EQ(check("0 | " + padding + "\xC3\xBC\n1 | b\xE2\x82\xAC"),
              Found{"1 utf8 0"})
        << pad;
    EXPECT_EQ(check("0 | a\n1 | " + padding + "\xF0\x9F\x8E\xB5"),
              Found{"2 utf8 0"})
        << pad;
  }
}

TEST(EncodingCheckTest, Utf8OnlyInACommentOrMarkIsStillFound) {
  EXPECT_EQ(check("// Fran\xC3\xA7\x61is\n0 | a\n"), Found{"1 utf8 0"});
  EXPECT_EQ(check("\xEF\xBB\xBF// Deutsch\r\n0 | a\r\n"), Found{"1 utf8 0"});
}

TEST(EncodingCheckTest, BytesThatAreNotUtf8AreReadInTheCodePage) {
  // Each breaks UTF-8 somewhere after a well-formed sequence: a lone
  // continuation, an overlong form, a surrogate, a code point beyond
  // U+10FFFF, a sequence cut short by the end of the file.
  for (std::string bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80",
                          "\xF4\x91\x80\x80", "\xF5\x80\x80\x80", "\xE2\x82"}) {
    EXPECT_EQ(check("0 | \xC3\xA4\n1 | x " + bad), Found{}) << bad;
  }
  // Read as Windows-1252, 0x81 of the second line is undefined.
  EXPECT_EQ(check("0 | \xC3\xA4\n1 | \x81 \xFF\n"),
            Found{"2 undefined 0x81 0"});
}

// "Größe ändern, „Gruß“ – GRÖSSE" in Windows-1252: «ß“» is a UTF-8
// sequence of its own.
constexpr std::string_view kGerman1252 =
    "Gr\xF6\xDF"
    "e \xE4ndern, \x84Gru\xDF\x93 \x96 GR\xD6SSE";
// Capitals in Windows-1250: «ÓŁ» and «ĘŚ» are UTF-8 sequences.
constexpr std::string_view kPolishCapitals1250 =
    "ZA\xAF\xD3\xA3\xC6 G\xCA\x8CL\xA5 JA\x8F\xD1, M\xD3\xA3";

TEST(EncodingCheckTest, Utf8ButForAPastedByteIsFoundOnTheLineOfThatByte) {
  // «ż» pasted from Windows-1250 into the UTF-8 text; the finding is on its
  // line, and 0x81 of «Ł» in the UTF-8 is no undefined byte of its own.
  EXPECT_EQ(check(polishSource(kPolishUtf8) + "3 | Za\xBF\r\n"),
            Found{"7 utf8-but-for 0xBF 238"});
  EXPECT_EQ(check("3 | \xBF\n" + polishSource(kPolishUtf8)),
            Found{"1 utf8-but-for 0xBF 238"});
  // A control character is still found.
  EXPECT_EQ(check(polishSource(kPolishUtf8) + "3 | \x01\xE6\r\n"),
            (Found{"7 control 0x01", "7 utf8-but-for 0xE6 238"}));
}

TEST(EncodingCheckTest, Utf8ButForBytesNeedsFourSequencesForEachOtherByte) {
  // "ä" is one sequence, "é" in Windows-1252 one byte of none; a sequence
  // cut short by the end of the file is bytes of none.
  EXPECT_EQ(check("0 | \xC3\xA4\xC3\xA4\xC3\xA4\n1 | \xE9\n"), Found{});
  EXPECT_EQ(check("0 | \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\n1 | \xE9\n"),
            Found{"2 utf8-but-for 0xE9 0"});
  EXPECT_EQ(check("0 | \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\n1 | \xE2\x82"),
            Found{});
  EXPECT_EQ(check("0 | \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
                  "\xC3\xA4\xC3\xA4\n1 | \xE2\x82"),
            Found{"2 utf8-but-for 0xE2 0"});
  // A lead byte whose sequence breaks off is one byte of none: the bytes
  // after it start their own.
  EXPECT_EQ(check("0 | \xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xE2\xC3\xA4\n"),
            Found{"1 utf8-but-for 0xE2 0"});
}

TEST(EncodingCheckTest, RealEightBitTextIsNeverTakenForUtf8) {
  EXPECT_EQ(check(polishSource(kPolishCapitals1250)), Found{});
  EXPECT_EQ(check(polishSource(std::string(kPolish1250) +
                               std::string(kPolishCapitals1250))),
            Found{});
  EXPECT_EQ(check("0 | " + std::string(kGerman1252) + "\r\n1 | " +
                  std::string(kGerman1252) + "\r\n"),
            Found{});
  EXPECT_EQ(check("Charset | 0\r\n0 | " + std::string(kGerman1252) + "\r\n"),
            Found{});
}

TEST(EncodingCheckTest, Utf8ButForBytesOnlyWhereBytesAreCharacters) {
  const std::string texts = std::string(kPolishUtf8) + "\xBF\r\n";
  EXPECT_EQ(check("Charset | 1\r\n0 | " + texts),
            Found{"2 utf8-but-for 0xBF 1"});
  // Double-byte code pages and symbol fonts are not read byte by byte, and
  // an unknown Charset is the only finding.
  EXPECT_EQ(check("Charset | 128\r\n0 | " + texts), Found{});
  EXPECT_EQ(check("Charset | 2\r\n0 | " + texts), Found{});
  EXPECT_EQ(check("Charset | 300\r\n0 | " + texts), Found{"1 charset '300'"});
}

TEST(EncodingCheckTest, AsciiHasNoFindingUnderAnyKnownCharset) {
  for (unsigned value : {0, 1, 2, 77, 128, 129, 130, 134, 136, 161, 162, 163,
                         177, 178, 186, 204, 222, 238, 255}) {
    EXPECT_EQ(check("Charset | " + std::to_string(value) +
                    "\r\n0 | Save %1 as %2\t(tab)\r\n1 | ~!@#$%&*()_+{}[]\r\n"),
              Found{})
        << value;
  }
}

TEST(EncodingCheckTest, UndefinedBytePerCodePage) {
  struct Case {
    unsigned charset;
    char undefined;
    char definedHere;  // undefined in another of the code pages
  };
  for (const Case& c : {Case{0, '\x8D', '\x8A'}, Case{238, '\x83', '\x8D'},
                        Case{204, '\x98', '\x81'}, Case{161, '\xD2', '\xA1'},
                        Case{162, '\x8E', '\x98'}, Case{163, '\x8A', '\x8C'},
                        Case{177, '\xFB', '\xCA'}, Case{186, '\xA1', '\x8D'},
                        Case{222, '\xDB', '\x85'}}) {
    const std::string source = "Charset | " + std::to_string(c.charset) +
                               "\n0 | a\n1 | b " + c.definedHere + " " +
                               c.undefined + "\n";
    char expected[32];
    std::snprintf(expected, sizeof expected, "3 undefined 0x%02X %u",
                  static_cast<unsigned char>(c.undefined), c.charset);
    EXPECT_EQ(check(source), Found{expected}) << c.charset;
  }
  // Windows-1256 defines every byte.
  EXPECT_EQ(check("Charset | 178\n0 | \x81\x8D\x90\xFF\n"), Found{});
}

TEST(EncodingCheckTest, OneUndefinedByteFindingPerLineAndOnlyInTexts) {
  EXPECT_EQ(check("Charset | 238\n0 | \x88 \x81 \x90 // \x83\n"
                  "// \x98 in a comment\n1 | b \x98 ^ 2 | c \x90\n"),
            (Found{"2 undefined 0x88 238", "4 undefined 0x98 238"}));
}

TEST(EncodingCheckTest, SourceWithoutCharsetIsCheckedAsCharsetZero) {
  EXPECT_EQ(check("0 | \xE4\xF6\xFC\n1 | \x9D\n"), Found{"2 undefined 0x9D 0"});
  EXPECT_EQ(check("0 | \xC3\xA4\n"), Found{"1 utf8 0"});
}

TEST(EncodingCheckTest, CodePagesNotCheckedByteByByte) {
  // Double-byte: a trail byte may be anything; default and OEM: the code
  // page is the system's; Mac Roman defines every byte; symbol: glyphs.
  for (unsigned value : {128, 129, 130, 134, 136, 1, 2, 77, 255}) {
    EXPECT_EQ(check("Charset | " + std::to_string(value) +
                    "\n0 | \x81\x40\x83\x8D\x90\x98\x9D\xFF\n"),
              Found{})
        << value;
  }
}

TEST(EncodingCheckTest, Utf8UnderEachSingleByteCharsetAndNoOther) {
  for (unsigned value :
       {0, 1, 77, 161, 162, 163, 177, 178, 186, 204, 222, 238, 255}) {
    EXPECT_EQ(check("Charset | " + std::to_string(value) + "\n0 | \xC3\xA4\n"),
              Found{"2 utf8 " + std::to_string(value)});
  }
  for (unsigned value : {2, 128, 129, 130, 134, 136}) {
    EXPECT_EQ(check("Charset | " + std::to_string(value) + "\n0 | \xC3\xA4\n"),
              Found{})
        << value;
  }
}

TEST(EncodingCheckTest, UnknownCharsetIsTheOnlyByteFinding) {
  EXPECT_EQ(check("// x\nCharset | 300\n0 | \xC3\xA4\n"),
            Found{"2 charset '300'"});
  EXPECT_EQ(check("Charset | 300\n0 | \x81\n"), Found{"1 charset '300'"});
  EXPECT_EQ(check("0 | a\n-1 | Western // the application's\n"),
            Found{"2 charset 'Western'"});
  EXPECT_EQ(check("Charset | +238\n0 | a\n"), Found{"1 charset '+238'"});
  EXPECT_EQ(check("Charset | 1238\n0 | a\n"), Found{"1 charset '1238'"});
  // Leading zeros do not change the number.
  EXPECT_EQ(check("Charset | 000238\n0 | \x81\n"),
            Found{"2 undefined 0x81 238"});
  // Nor does the order: findings come in line order.
  EXPECT_EQ(check("0 | \x07\nCharset | 3\n"),
            (Found{"1 control 0x07", "2 charset '3'"}));
}

TEST(EncodingCheckTest, ControlCharactersInTextsOncePerLine) {
  EXPECT_EQ(check("Charset | 204\n0 | a\tb\n1 | \x1B[0m\x01\n"
                  "// \x0C in a comment\n2 | x\x0C\n3 | nul \0 z\n"s),
            (Found{"3 control 0x1B", "5 control 0x0C", "6 control 0x00"}));
  // Under any Charset, also beside an undefined byte on the same line.
  EXPECT_EQ(check("Charset | 999\n0 | \x02\n"),
            (Found{"1 charset '999'", "2 control 0x02"}));
  EXPECT_EQ(check("0 | \x81\x7F\x1F\n"),
            (Found{"1 undefined 0x81 0", "1 control 0x1F"}));
}

TEST(EncodingCheckTest, BytesAreFoundWhereverTheyStandInTexts) {
  // The findings of a source under `charset` whose one text is `text`.
  const auto ofText = [](std::string_view charset, std::string_view text) {
    std::string source = "Charset | ";
    source.append(charset).append("\n0 | ").append(text).append("\n");
    return check(source);
  };
  // Texts of up to 40 bytes, so that the byte falls in every place of the
  // wide steps a text is looked at in, and in the bytes after the last.
  for (std::size_t size = 1; size <= 40; ++size) {
    for (std::size_t at = 0; at < size; ++at) {
      std::string text(size, 'x');
      text[at] = '\x1B';
      const std::string where = std::to_string(size) + "/" + std::to_string(at);
      EXPECT_EQ(ofText("238", text), Found{"2 control 0x1B"}) << where;
      // A tab is no control character, but one after it is still found.
      text[at] = '\t';
      EXPECT_EQ(ofText("238", text + "\x01"), Found{"2 control 0x01"}) << where;
      text[at] = '\x81';
      EXPECT_EQ(ofText("238", text), Found{"2 undefined 0x81 238"}) << where;
      // Among letters beyond ASCII, under a Charset with a few undefined
      // bytes and under one with many.
      std::string letters(size, '\xBF');
      letters[at] = '\x83';
      EXPECT_EQ(ofText("238", letters), Found{"2 undefined 0x83 238"}) << where;
      letters.assign(size, '\xE1');
      letters[at] = '\xD2';
      EXPECT_EQ(ofText("161", letters), Found{"2 undefined 0xD2 161"}) << where;
      // Letters beyond ASCII in UTF-8 hide no control character.
      text[at] = '\x02';
      EXPECT_EQ(ofText("238", "\xC5\xBC" + text + "\xC4\x99"),
                (Found{"2 utf8 238", "2 control 0x02"}))
          << where;
    }
  }
}

TEST(EncodingCheckTest, LinesCountEveryKindOfLineEnd) {
  EXPECT_EQ(check("// a\r// b\n\n\r\n0 | x\r1 | \x81\r\n"),
            Found{"6 undefined 0x81 0"});
}

TEST(Utf8WatchTest, AgreesWithTheWholeTextWhateverStandsWhere) {
  // Sequences right and wrong, put at every place of a text of letters of
  // two bytes and ASCII, which the watch passes over many bytes at a time.
  const std::vector<std::string> insertions = {
      "\xC5\xBC",     "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xBC",
      "\xC5",         "\xC5z",        "\xC0\x80",         "\xC1\xBF",
      "\xE0\x80\x80", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xC5\xBC\xBC",
      "\xC5\xC5\xBC", "\xDF\xBF",     "\xC2\x80",
  };
  const std::string letters = "a\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g";
  std::string text;
  while (text.size() < 48) text += letters;
  for (const std::string& inserted : insertions) {
    for (std::size_t at = 0; at <= text.size(); ++at) {
      // Places inside a letter too: then the letter is cut.
      const std::string bytes = text.substr(0, at) + inserted + text.substr(at);
      const std::optional<std::size_t> whole = firstUtf8Sequence(bytes);
      for (std::size_t block : {1, 5, 16, 17, 64}) {
        Utf8Watch watch;
        for (std::size_t from = 0; from < bytes.size(); from += block) {
          watch.observe(std::string_view(bytes).substr(from, block));
        }
        std::optional<std::size_t> seen;
        if (const auto first = watch.firstSequence()) {
          seen = static_cast<std::size_t>(*first);
        }
        EXPECT_EQ(seen, whole)
            << testing::PrintToString(bytes) << " in blocks of " << block;
      }
    }
  }
}

TEST(EncodingWatchTest, TextsBeforeTheCharsetLineAreCheckedOnceItComes) {
  EXPECT_EQ(check("0 | \x83\x81\n1 | \x07\x8D^2 | \x81\nCharset | 238\n"),
            (Found{"1 undefined 0x83 238", "2 undefined 0x81 238",
                   "2 control 0x07"}));
  // Two texts on one line: the lower line number's byte is named, whatever
  // comes first on the line.
  EXPECT_EQ(check("Charset | 238\n0 | a\n2 | \x98^1 | \x83\n"),
            Found{"3 undefined 0x83 238"});
}

TEST(ByteOrderMarkTest, FoundOnlyAtTheStart) {
  EXPECT_EQ(byteOrderMarkOf("\xEF\xBB\xBF"
                            "0 | a"),
            ByteOrderMark::kUtf8);
  EXPECT_EQ(byteOrderMarkOf(std::string("\xFF\xFE"
                                        "0\0",
                                        4)),
            ByteOrderMark::kUtf16);
  EXPECT_EQ(byteOrderMarkOf(std::string("\xFE\xFF\0"
                                        "0",
                                        4)),
            ByteOrderMark::kUtf16);
  EXPECT_EQ(byteOrderMarkOf("\xEF\xBB"), ByteOrderMark::kNone);
  EXPECT_EQ(byteOrderMarkOf("\xFF"), ByteOrderMark::kNone);
  EXPECT_EQ(byteOrderMarkOf(" \xEF\xBB\xBF"), ByteOrderMark::kNone);
  EXPECT_EQ(byteOrderMarkOf(""), ByteOrderMark::kNone);
}

// The language findings of `source` for `language`, from the table and
// from the watch over the scan, which must agree.
std::vector<std::string> languageFindings(std::string_view source,
                                          std::string_view language) {
  const Language* named = languageNamed(language);
  EXPECT_NE(named, nullptr) << language;
  ParseResult parsed = parseLanguageSource(source);
  EXPECT_TRUE(parsed.ok());
  std::vector<std::string> fromTable =
      describe(checkEncoding(*parsed.table, TableText::kBytes, named));
  EncodingWatch watch(false, named);
  SourceScanner scanner(&watch, source.size());
  scanner.feed(source);
  EXPECT_TRUE(scanner.finish().ok());
  EXPECT_EQ(
      describe(watch.finish([](std::uint64_t) -> std::size_t { return 0; })),
      fromTable);
  return fromTable;
}

TEST(LanguageCharsetTest, ACharsetThatShowsTheLettersOtherwiseIsAFinding) {
  // Charset 0 left over from the English file: no byte check can tell.
  EXPECT_EQ(languageFindings("Charset | 0\n0 | Za\xBF\xF3\xB3\xE6\n", "Polski"),
            (std::vector<std::string>{"1 language Polish"}));
  EXPECT_EQ(languageFindings("// Polski\n0 | a\nCharset | 0\n", "polish"),
            (std::vector<std::string>{"3 language Polish"}));
  // Without a Charset line the application reads Charset 0; the finding
  // belongs to no line.
  EXPECT_EQ(languageFindings("0 | Za\xBF\xF3\xB3\xE6\n", "Polski"),
            (std::vector<std::string>{"0 language Polish"}));
  EXPECT_EQ(languageFindings("Charset | 1\n0 | a\n", "Русский"),
            (std::vector<std::string>{"1 language Russian"}));
  EXPECT_EQ(languageFindings("Charset | 300\n0 | a\n", "Ελληνικά"),
            (std::vector<std::string>{"1 charset '300'", "1 language Greek"}));
}

TEST(LanguageCharsetTest, TheLanguagesOwnBytesUnderAnotherCharsetAreNoFinding) {
  // ä ö ü ß are the same bytes in Windows-1250 and Windows-1252.
  EXPECT_EQ(languageFindings("Charset | 238\n0 | \xE4\n", "Deutsch"),
            std::vector<std::string>{});
  EXPECT_EQ(languageFindings("Charset | 238\n0 | a\n", "Polski"),
            std::vector<std::string>{});
  EXPECT_EQ(languageFindings("0 | a\n", "English"), std::vector<std::string>{});
  EXPECT_EQ(languageFindings("Charset | 130\n0 | a\n", "Korean"),
            std::vector<std::string>{});
}

TEST(LanguageCharsetTest, NoLanguageNoFinding) {
  ParseResult parsed = parseLanguageSource("Charset | 0\n0 | a\n");
  ASSERT_TRUE(parsed.ok());
  EXPECT_TRUE(checkEncoding(*parsed.table, TableText::kBytes).empty());
  EXPECT_EQ(languageNamed("Klingon"), nullptr);
}

}  // namespace
}  // namespace parlavox
