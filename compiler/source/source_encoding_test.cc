#include "compiler/source/source_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace parlavox {
namespace {

using namespace std::string_literals;

TEST(SourceEncodingTest, MarkFirstThenWellFormedUtf8ElseEightBit) {
  EXPECT_EQ(detectEncoding("\xEF\xBB\xBF"
                           "0 | a"),
            SourceEncoding::kUtf8);
  EXPECT_EQ(detectEncoding("\xFF\xFE"
                           "0\0"s),
            SourceEncoding::kUtf16Le);
  EXPECT_EQ(detectEncoding("\xFE\xFF\0"
                           "0"s),
            SourceEncoding::kUtf16Be);
  // A mark decides even where the rest is not that encoding.
  EXPECT_EQ(detectEncoding("\xEF\xBB\xBF\xE9"), SourceEncoding::kUtf8);
  EXPECT_EQ(detectEncoding("0 | \xC5\x82\xF0\x9F\x98\x80"),
            SourceEncoding::kUtf8);
  EXPECT_EQ(detectEncoding("0 | plain ASCII"), SourceEncoding::kEightBit);
  EXPECT_EQ(detectEncoding(""), SourceEncoding::kEightBit);
  // Not well formed: a lone byte, an overlong form, a surrogate, beyond
  // U+10FFFF, a cut sequence, a continuation byte too few.
  for (const std::string bad :
       {"0 | \xE9t\xE9", "0 | \xC0\x80", "0 | \xED\xA0\x80",
        "0 | \xF4\x90\x80\x80", "0 | \xC5\x82\xC5", "0 | \xE2\x82x",
        "0 | \x80"}) {
    EXPECT_EQ(detectEncoding(bad), SourceEncoding::kEightBit) << bad;
  }
  // Well-formed UTF-8 after a long run of ASCII, and the last byte bad.
  const std::string ascii(1000, 'a');
  EXPECT_EQ(detectEncoding(ascii + "\xC3\xA9" + ascii), SourceEncoding::kUtf8);
  EXPECT_EQ(detectEncoding(ascii + "\xC3\xA9" + ascii + "\xC3"),
            SourceEncoding::kEightBit);
}

TEST(SourceEncodingTest, UnmarkedUtf16IsToldByNulsBesideAsciiCharacters) {
  EXPECT_EQ(unmarkedUtf16("0\0 \0|\0"s), SourceEncoding::kUtf16Le);
  EXPECT_EQ(unmarkedUtf16("\0"
                          "0\0 \0|"s),
            SourceEncoding::kUtf16Be);
  // Half the characters beside a NUL are enough; fewer are not.
  EXPECT_EQ(unmarkedUtf16("a\0b\0\xE9\x01\x05\x01"s), SourceEncoding::kUtf16Le);
  EXPECT_EQ(unmarkedUtf16("a\0b\0\xE9\x01\x05\x01\x06\x01"s), std::nullopt);
  // Only the first bytes count.
  std::string utf16;
  for (int i = 0; i < 128; ++i) utf16 += "a\0"s;
  EXPECT_EQ(unmarkedUtf16(utf16 + std::string(1000, 'x')),
            SourceEncoding::kUtf16Le);
  std::string eightBit = "a\0"s + std::string(254, 'b');
  for (int i = 0; i < 1000; ++i) eightBit += "c\0"s;
  EXPECT_EQ(unmarkedUtf16(eightBit), std::nullopt);
  // The first character must be ASCII beside a NUL, and there must be two.
  for (const std::string& other : {"\0\0a\0b\0"s, "\xE9\0a\0b\0"s,
                                   "ab\0c\0d\0"s, "a\0"s, "0 | a\0"s, ""s}) {
    EXPECT_EQ(unmarkedUtf16(other), std::nullopt)
        << testing::PrintToString(other);
  }
}

TEST(SourceEncodingTest, CharsetValueIsTheFirstCharsetLinesOwn) {
  EXPECT_EQ(findCharsetValue("0 | a\r\n  Charset  |  128  // Japanese\r\n"),
            "128");
  EXPECT_EQ(findCharsetValue("Charset|204^0 | a"), "204");
  EXPECT_EQ(findCharsetValue("// Charset | 128\nxCharset | 129\n"
                             "Charset x | 130\nCharset | 134\nCharset | 136\n"),
            "134");
  EXPECT_EQ(findCharsetValue("0 | Charset | 128\n"), "");
  EXPECT_EQ(findCharsetValue("0 | a\n"), "");
}

TEST(SourceEncodingTest, TrailBytesAreMaskedOnlyAfterALeadByte) {
  const CodePage* shiftJis = codePageOfCharset(128);
  ASSERT_NE(shiftJis, nullptr);
  // ソ 83 5C, タ 83 5E, ポ 83 7C; a lead byte before a line end keeps it.
  EXPECT_EQ(maskTrailBytes(*shiftJis, "\x83\x5C|\x83\x5E^\x83\x7C\\\x83\r\n"),
            "\x83x|\x83x^\x83x\\\x83\r\n");
  EXPECT_EQ(maskTrailBytes(*codePageOfCharset(130), "\xE0\x3A\\\\"),
            "\xE0x\\\\");
}

}  // namespace
}  // namespace parlavox
