#include "compiler/encodings/utf16.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace parlavox
