#include "compiler/encodings/utf16.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>

#include "compiler/encodings/utf16_decoder.h"

namespace parlavox {
namespace {

TEST(Utf16Test, EveryLengthOfSequenceConvertsBothWays) {
  // "a", e acute, Cyrillic Er, the euro sign, a musical note (a pair).
  const std::string utf8 = "a\xC3\xA9\xD0\xA0\xE2\x82\xAC\xF0\x9F\x8E\xB5";
  const std::u16string utf16 = u"a\u00E9\u0420\u20AC\U0001F3B5";
  EXPECT_EQ(utf16FromUtf8(utf8), utf16);
  EXPECT_EQ(utf8FromUtf16(utf16), utf8);
  EXPECT_EQ(utf16FromUtf8(""), u"");
}

TEST(Utf16Test, UnpairedSurrogatesPassThroughAsThreeBytes) {
  const std::u16string lone = {u'x', 0xDC00, 0xD800, u'y', 0xD800};
  const std::string bytes = utf8FromUtf16(lone);
  EXPECT_EQ(bytes, "x\xED\xB0\x80\xED\xA0\x80y\xED\xA0\x80");
  EXPECT_EQ(utf16FromUtf8(bytes), lone);
}

TEST(Utf16Test, WhatIsNotUtf8IsRefused) {
  for (std::string bad : {
           "\xE7",                      // a code-page letter
           "\x80",                      // a continuation byte alone
           "\xC3",                      // a sequence cut short
           "\xE2\x82",                  // again, longer
           "\xC3\x28",                  // a lead byte with no continuation
           "\xC0\xAF",                  // an overlong "/"
           "\xE0\x80\xAF",              // again, three bytes
           "\xF4\x90\x80\x80",          // past U+10FFFF
           "\xF8\x88\x80\x80\x80",      // five bytes
           "\xED\xA0\xBC\xED\xBE\xB5",  // a pair as two sequences
       }) {
    EXPECT_FALSE(utf16FromUtf8(bad).has_value()) << bad;
  }
}

TEST(Utf16Test, CompleteLengthStopsBeforeACutSequence) {
  EXPECT_EQ(completeUtf8Length(""), 0u);
  EXPECT_EQ(completeUtf8Length("ab"), 2u);
  EXPECT_EQ(completeUtf8Length("a\xD0"), 1u);
  EXPECT_EQ(completeUtf8Length("a\xD0\xA0"), 3u);
  EXPECT_EQ(completeUtf8Length("a\xF0\x9F\x8E"), 1u);
  EXPECT_EQ(completeUtf8Length("a\xF0\x9F\x8E\xB5"), 5u);
  // Bytes that cannot be completed are handed on, not held back forever.
  EXPECT_EQ(completeUtf8Length("a\x80\x80\x80\x80"), 5u);
  EXPECT_EQ(completeUtf8Length("a\xFF"), 2u);
}

// Random texts of ASCII runs of every length, line ends and characters of
// every UTF-8 length, decoded in pieces of any size in both byte orders:
// the UTF-8 and the line of a fault at the end are those of the whole.
TEST(Utf16DecoderTest, AsciiRunsDecodeAsTheWholeInAnyPieces) {
  std::mt19937 random(20261209);
  const std::u16string kPieces[] = {
      u"a",      u"\r",         u"\n", u"\r\n",   u"\u00F3",
      u"\u65E5", u"\U0001F600", u"|",  u"\u007F", u"\u0080"};
  for (int round = 0; round < 2000; ++round) {
    std::u16string text;
    const int parts = static_cast<int>(random() % 12);
    for (int part = 0; part < parts; ++part) {
      text += std::u16string(random() % 20, u'x');
      text += kPieces[random() % std::size(kPieces)];
    }
    // A lone high surrogate at the end: a fault on the last line.
    text += u'\xD800';
    std::size_t lines = 1;
    for (std::size_t at = 0; at < text.size(); ++at) {
      if (text[at] == u'\n' || (text[at] == u'\r' && (at + 1 == text.size() ||
                                                      text[at + 1] != u'\n'))) {
        ++lines;
      }
    }
    const std::string expected = utf8FromUtf16(text.substr(0, text.size() - 1));
    for (const bool bigEndian : {false, true}) {
      std::string bytes;
      for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
      }
      Utf16Decoder decoder(bigEndian);
      std::string decoded(Utf16Decoder::mostUtf8For(bytes.size()), '\0');
      char* out = decoded.data();
      for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece =
            std::min<std::size_t>(1 + random() % 40, bytes.size() - at);
        out = decoder.decode(std::string_view(bytes).substr(at, piece), out);
        at += piece;
      }
      decoder.finish();
      decoded.resize(static_cast<std::size_t>(out - decoded.data()));
      ASSERT_EQ(decoded, expected) << bigEndian << " round " << round;
      EXPECT_EQ(decoder.written(), expected.size());
      ASSERT_TRUE(decoder.fault().has_value());
      EXPECT_EQ(decoder.fault()->line, lines)
          << bigEndian << " round " << round;
    }
  }
}

}  // namespace
}  // namespace parlavox
