#include "compiler/format/language_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace parlavox {
namespace {

using Slots = std::vector<std::string>;

Slots slotsOf(const ParseResult& result) {
  Slots slots;
  if (!result.ok()) return {"<failed: " + result.fault.message + ">"};
  for (std::size_t i = 0; i < result.table->size(); ++i) {
    slots.emplace_back((*result.table)[i]);
  }
  return slots;
}

Slots parse(std::string_view text) {
  return slotsOf(parseLanguageSource(text));
}

SourceFault faultOf(std::string_view text) {
  ParseResult result = parseLanguageSource(text);
  EXPECT_FALSE(result.ok());
  return result.fault;
}

std::string delimiterFault(std::string_view piece, int index) {
  return "string delimiter | missing in line \"" + std::string(piece) + "\" (" +
         std::to_string(index) + ")";
}

TEST(ParseTest, EachBreakEndsATextWhereverItFallsAmongHighBytes) {
  // Breaks are looked for several bytes at a time: every position counts,
  // and bytes above 127 next to a break are text.
  for (const char brk : {'\r', '\n', '^'}) {
    for (std::size_t length = 1; length < 20; ++length) {
      const std::string text(length, '\xFF');
      EXPECT_EQ(parse("0 | " + text + brk + "\x80\xFE" + brk + "1 | b\x8D"),
                (Slots{"", text, "b\x8D"}))
          << int(brk) << " after " << length;
    }
  }
}

TEST(ParseTest, EntriesInAnyOrderFillSlotsInNumberOrder) {
  EXPECT_EQ(parse("2 | two\r\nCharset | 238\r\n0 | zero\r\n1 | one\r\n"),
            (Slots{"238", "zero", "one", "two"}));
}

TEST(ParseTest, SourceWithoutCharsetLeavesSlotZeroEmpty) {
  EXPECT_EQ(parse("0 | a\n1 | b\n"), (Slots{"", "a", "b"}));
}

TEST(ParseTest, TextIsTrimmedAndCutAtComment) {
  EXPECT_EQ(parse("0 | Hello // note\n1 |   Hello  \n2|x//y//z\n"),
            (Slots{"", "Hello", "Hello", "x"}));
}

TEST(ParseTest, OnlySpacesAreTrimmedNotTabs) {
  EXPECT_EQ(parse("0 |\tHello\t \n"), (Slots{"", "\tHello\t"}));
}

TEST(ParseTest, WebAddressIsNotAComment) {
  EXPECT_EQ(parse("0 | see a://b // note\n"), (Slots{"", "see a://b"}));
  // The "//" right after an address's "://" is still part of the address.
  EXPECT_EQ(parse("0 | a:////b\n1 | a:///b//c\n"),
            (Slots{"", "a://", "a:///b"}));
}

TEST(ParseTest, BarsAfterTheFirstStayInTheText) {
  EXPECT_EQ(parse("0 | a | b\n"), (Slots{"", "a | b"}));
}

TEST(ParseTest, LinesWithoutBarOrStartingWithBarArePassedOver) {
  EXPECT_EQ(parse("Title\n| text\njust words\n0 | a\n// remark\n"),
            (Slots{"", "a"}));
}

TEST(ParseTest, LastLineWithoutLineEndIsKept) {
  EXPECT_EQ(parse("0 | a\n1 | b"), (Slots{"", "a", "b"}));
  EXPECT_EQ(parse("0 | a\nCharset | 238"), (Slots{"238", "a"}));
  EXPECT_EQ(parse("0 | only"), (Slots{"", "only"}));
}

TEST(ParseTest, LoneCrLoneLfAndCrLfAllEndLines) {
  EXPECT_EQ(parse("0 | a\r1 | b\n2 | c\r\n3 | d\n\r4 | e"),
            (Slots{"", "a", "b", "c", "d", "e"}));
}

TEST(ParseTest, CaretBreaksTheLine) {
  EXPECT_EQ(parse("0 | a^b\n"), (Slots{"", "a"}));
  EXPECT_EQ(parse("0 | a^1 | b\n"), (Slots{"", "a", "b"}));
}

TEST(ParseTest, SignedNumbers) {
  EXPECT_EQ(parse("+0 | a\n-0 | b\n"),
            (Slots{"<failed: double entry for line number -0>"}));
  EXPECT_EQ(parse("-1 | cs\n+1 | b\n000 | a\n"), (Slots{"cs", "a", "b"}));
}

TEST(ParseTest, EmptyTextIsNoEntry) {
  EXPECT_EQ(parse("0 | a\n1 |\n1 | b\n"), (Slots{"", "a", "b"}));
  EXPECT_EQ(parse("0 | a\n1 | // later\n1 | b\n"), (Slots{"", "a", "b"}));
  EXPECT_EQ(faultOf("0 | a\n1 |\n").message, "entry for line number 1 missing");
}

TEST(ParseTest, BytesPassThrough) {
  const std::string text("0 | \xE4\xF6\xFC\0x\xFF\n", 11);
  EXPECT_EQ(parse(text), (Slots{"", std::string("\xE4\xF6\xFC\0x\xFF", 6)}));
}

TEST(ParseFaultTest, NotANumberBeforeTheBar) {
  EXPECT_EQ(faultOf("0 | a\n// remark | with bar\n").message,
            delimiterFault("// remark | with bar", 1));
  EXPECT_EQ(faultOf("charset | x\n").message, delimiterFault("charset | x", 0));
  EXPECT_EQ(faultOf("1.5 | x\n").message, delimiterFault("1.5 | x", 0));
  EXPECT_EQ(faultOf("0x1 | x\n").message, delimiterFault("0x1 | x", 0));
  EXPECT_EQ(faultOf("1 0 | x\n").message, delimiterFault("1 0 | x", 0));
  EXPECT_EQ(faultOf("1\t| x\n").message, delimiterFault("1\t| x", 0));
  EXPECT_EQ(faultOf("1e3 | x\n").message, delimiterFault("1e3 | x", 0));
  EXPECT_EQ(faultOf("- | x\n").message, delimiterFault("- | x", 0));
}

TEST(ParseFaultTest, DelimiterFaultQuotesTheShieldedPiece) {
  EXPECT_EQ(faultOf("see http://x | y\n").message,
            delimiterFault("see http:\\\\x | y", 0));
}

TEST(ParseFaultTest, ByteOrderMarkStandsBeforeTheNumber) {
  EXPECT_EQ(faultOf("\xEF\xBB\xBF"
                    "Charset | 238\n")
                .message,
            delimiterFault("\xEF\xBB\xBF"
                           "Charset | 238",
                           0));
}

TEST(ParseFaultTest, LeadingSpacesDroppedUpToTwoAfterEachLineEnd) {
  EXPECT_EQ(parse("0 | a\n | x\n  | y\n"), (Slots{"", "a"}));
  EXPECT_EQ(faultOf("0 | a\n   | x\n").message, delimiterFault(" | x", 1));
  // The first line has no line end before it and keeps its spaces.
  EXPECT_EQ(faultOf("  | x\n").message, delimiterFault("  | x", 0));
}

TEST(ParseFaultTest, LinesOfSpacesCountAsPiecesFromThreeSpacesOn) {
  // One or two spaces vanish with the line end before them; three leave one.
  EXPECT_EQ(faultOf("0 | a\n \n  \nx | y\n").message,
            delimiterFault("x | y", 1));
  EXPECT_EQ(faultOf("0 | a\n   \nx | y\n").message, delimiterFault("x | y", 2));
}

TEST(ParseFaultTest, RunsOfUpTo128LineEndsCountAsOne) {
  auto indexAfter = [](int lineEnds) {
    return faultOf("0 | a" + std::string(lineEnds, '\n') + "x | y").message;
  };
  EXPECT_EQ(indexAfter(1), delimiterFault("x | y", 1));
  EXPECT_EQ(indexAfter(128), delimiterFault("x | y", 1));
  EXPECT_EQ(indexAfter(129), delimiterFault("x | y", 2));
  EXPECT_EQ(indexAfter(256), delimiterFault("x | y", 2));
  EXPECT_EQ(indexAfter(257), delimiterFault("x | y", 3));
  // A CR LF is two line ends: 64 of them still make one.
  std::string crlf;
  for (int i = 0; i < 65; ++i) crlf += "\r\n";
  EXPECT_EQ(faultOf("0 | a" + crlf + "x | y").message,
            delimiterFault("x | y", 2));
  // Carets join the run, spaces of two or less between them too.
  EXPECT_EQ(faultOf("0 | a^\n  ^ \r\nx | y").message,
            delimiterFault("x | y", 1));
}

TEST(ParseFaultTest, DoubleEntryNamesTheNumberAsWritten) {
  const SourceFault fault = faultOf("0 | a\n12 | b\n1 | c\n 012 | d\n");
  EXPECT_EQ(fault.message, "double entry for line number 012");
  EXPECT_EQ(fault.line, 4u);
}

TEST(ParseFaultTest, CharsetAndMinusOneShareSlotZero) {
  EXPECT_EQ(faultOf("Charset | x\n-1 | y\n0 | a\n").message,
            "double entry for line number -1");
  EXPECT_EQ(faultOf("-1 | y\nCharset | x\n0 | a\n").message,
            "double entry for line number Charset");
}

TEST(ParseFaultTest, EmptyTextAfterAFilledSlotIsADoubleEntry) {
  EXPECT_EQ(faultOf("0 | a\n0 |\n").message, "double entry for line number 0");
}

TEST(ParseFaultTest, LowestMissingNumberIsReported) {
  EXPECT_EQ(faultOf("0 | a\n3 | d\n1 | b\n5 | f\n").message,
            "entry for line number 2 missing");
  EXPECT_EQ(faultOf("   \n\n  \n").message, "entry for line number 0 missing");
  EXPECT_EQ(faultOf("Charset | 238\n").message,
            "entry for line number 0 missing");
  EXPECT_EQ(faultOf("0 | a\n3 | d\n").line, 0u);
}

TEST(ParseFaultTest, ScanFaultsComeBeforeMissingNumbers) {
  EXPECT_EQ(faultOf("0 | a\n5 | b\nx y | z\n").message,
            delimiterFault("x y | z", 2));
  EXPECT_EQ(faultOf("5 | b\n5 | c\nx y | z\n").message,
            "double entry for line number 5");
}

TEST(ParseFaultTest, NumbersBelowMinusOneAreInvalid) {
  const SourceFault fault = faultOf("0 | a\n  -05  | x\n");
  EXPECT_EQ(fault.message, "invalid line number -05");
  EXPECT_EQ(fault.line, 2u);
  EXPECT_EQ(faultOf("-99999999999999999999999 | x\n").message,
            "invalid line number -99999999999999999999999");
}

TEST(ParseFaultTest, HugeNumbersBehaveAsIfTheTableGrew) {
  EXPECT_EQ(faultOf("0 | a\n4000000000 | x\n").message,
            "entry for line number 1 missing");
  EXPECT_EQ(faultOf("0 | a\n1 | b\n99999999999999999999999999 | x\n").message,
            "entry for line number 2 missing");
  const SourceFault twice =
      faultOf("0 | a\n4000000000 | x\n1 | b\n04000000000 | y\n");
  EXPECT_EQ(twice.message, "double entry for line number 04000000000");
  EXPECT_EQ(twice.line, 4u);
  EXPECT_EQ(faultOf("99999999999999999999999 | x\n"
                    "0099999999999999999999999 | y\n")
                .message,
            "double entry for line number 0099999999999999999999999");
  // An empty text fills no slot, huge or not.
  EXPECT_EQ(faultOf("0 | a\n7000000000 |\n7000000000 | x\n").message,
            "entry for line number 1 missing");
}

TEST(ParseFaultTest, LineCountsCrLfLoneCrAndLoneLfAsOneLineEnd) {
  EXPECT_EQ(faultOf("0 | a\r\n\r\n\r1 | b\n1 | c\n").line, 5u);
  EXPECT_EQ(faultOf("// title\r\n\r\n0 | a\r\n// note\r\n0 | b\r\n").line, 5u);
  // A caret breaks the piece but not the physical line.
  EXPECT_EQ(faultOf("0 | a\n1 | b^x | y\n").line, 2u);
  EXPECT_EQ(faultOf("0 | a\n1 | b^x | y\n").message,
            delimiterFault("x | y", 2));
}

TEST(EntryTableTest, PhysicalLineOfEachSlot) {
  ParseResult result =
      parseLanguageSource("// t\r\nCharset | c\r\n\r\n1 | b\n0 | a");
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.table->physicalLine(0), 2u);
  EXPECT_EQ(result.table->physicalLine(1), 5u);
  EXPECT_EQ(result.table->physicalLine(2), 4u);
}

TEST(EntryTableTest, PhysicalLinesCountLoneCrCrLfAndLfInAnyOrderAsked) {
  ParseResult result = parseLanguageSource(
      "Charset | 0\r0 | a\r\n\r\n1 | b\n\r2 | c\r\r\n3 | d\r");
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.table->physicalLines({4, 3, 2, 1, 0}),
            (std::vector<std::size_t>{8, 6, 4, 2, 1}));
  EXPECT_EQ(result.table->physicalLines({0, 4, 4, 1}),
            (std::vector<std::size_t>{1, 8, 8, 2}));
  EXPECT_EQ(result.table->physicalLine(3), 6u);
}

TEST(EntryTableTest, CommentIsWhatTheParserCutOff) {
  ParseResult result = parseLanguageSource(
      "Charset | 238 // code page\r\n"
      "0 | Hello   //  note  \r\n"
      "1 | see a://b // address\n"
      "2 | see a://b\r"
      "3 | a:////c\n"
      "4 | x//y^5 | z // after caret^\n"
      "6 | ends //\n"
      "7 | a : // b // c\n"
      "8 | last // no line end");
  ASSERT_TRUE(result.ok()) << result.fault.message;
  const EntryTable& table = *result.table;
  EXPECT_EQ(table.comment(0), "code page");
  EXPECT_EQ(table.comment(1), "note");
  EXPECT_EQ(table.comment(2), "address");
  EXPECT_EQ(table.comment(3), "");
  EXPECT_EQ(table[4], "a://");
  EXPECT_EQ(table.comment(4), "c");
  EXPECT_EQ(table.comment(5), "y");
  EXPECT_EQ(table.comment(6), "after caret");
  EXPECT_EQ(table.comment(7), "");
  EXPECT_EQ(table[8], "a :");
  EXPECT_EQ(table.comment(8), "b // c");
  EXPECT_EQ(table.comment(9), "no line end");
}

TEST(EntryTableTest, EmptyCharsetSlotHasNoComment) {
  ParseResult result = parseLanguageSource("// title // x\n0 | a\n");
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.table->comment(0), "");
  EXPECT_EQ(result.table->source(), "// title // x\n0 | a\n");
}

}  // namespace
}  // namespace parlavox
