#include "compiler/po/po_source.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "compiler/po/po_reader.h"

namespace parlavox {
namespace {

PoSource sourceOf(std::string_view po, PoLayout layout) {
  const PoReadResult read = readPo(po);
  EXPECT_TRUE(read.ok()) << read.message;
  return read.ok() ? sourceFromPo(*read.catalog, layout) : PoSource();
}

constexpr std::string_view kPo =
    "msgid \"\"\n"
    "msgstr \"\"\n"
    "\"X-Parlavox-Charset: 238\\n\"\n"
    "\n"
    "# mine\n"
    "# and more\n"
    "msgctxt \"2\"\n"
    "msgid \"Help\"\n"
    "msgstr \"Pomoc: file:///help\"\n"
    "\n"
    "msgctxt \"0\"\n"
    "msgid \"File\"\n"
    "msgstr \"Plik\"\n"
    "\n"
    "#, fuzzy\n"
    "msgctxt \"1\"\n"
    "msgid \"OK\"\n"
    "msgstr \"Dobrze\"\n"
    "\n"
    "msgctxt \"3\"\n"
    "msgid \"Exit\"\n"
    "msgstr \"\"\n";

TEST(PoSourceTest, TheImportIsInNumberOrderWithItsComments) {
  const PoSource source = sourceOf(kPo, PoLayout::kNumberOrder);
  ASSERT_TRUE(source.result.ok()) << source.result.message();
  EXPECT_EQ(source.text,
            "Charset | 238\r\n0 | Plik\r\n"
            "2 | Pomoc: file:///help // mine and more\r\n");
  EXPECT_EQ(source.charset, "238");
  EXPECT_EQ(source.strings, 2u);
}

TEST(PoSourceTest, TheCompilesSourceHasEachTextOnItsMsgstrLine) {
  const PoSource source = sourceOf(kPo, PoLayout::kPoLines);
  ASSERT_TRUE(source.result.ok());
  EXPECT_EQ(source.text, std::string(1, '\n') + "Charset | 238" +
                             std::string(7, '\n') +
                             "2 | Pomoc: file:///help // mine and "
                             "more" +
                             std::string(4, '\n') + "0 | Plik\n");
}

TEST(PoSourceTest, AHeaderAfterEntriesGivesALateCharsetLineOnItsOwnLine) {
  constexpr std::string_view kLate =
      "msgctxt \"0\"\nmsgid \"File\"\nmsgstr \"Plik\"\n\n"
      "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n"
      "msgctxt \"1\"\nmsgid \"OK\"\nmsgstr \"Dobrze\"\n";
  const PoSource placed = sourceOf(kLate, PoLayout::kPoLines);
  ASSERT_TRUE(placed.result.ok()) << placed.result.message();
  EXPECT_EQ(placed.text, "\n\n0 | Plik\n\n\nCharset | 238\n\n\n\n1 | Dobrze\n");
  const PoSource ordered = sourceOf(kLate, PoLayout::kNumberOrder);
  EXPECT_EQ(ordered.text, "Charset | 238\r\n0 | Plik\r\n1 | Dobrze\r\n");

  constexpr std::string_view kLateAndOutOfOrder =
      "msgctxt \"12\"\nmsgid \"a\"\nmsgstr \"b | c\"\n\n"
      "# 7 | x\nmsgctxt \"7\"\nmsgid \"d\"\nmsgstr \"e\"\n\n"
      "msgid \"\"\nmsgstr \"X-Parlavox-Charset: 238\\n\"\n\n"
      "msgctxt \"100\"\nmsgid \"f\"\nmsgstr \"g\"\n\n"
      "msgctxt \"9\"\nmsgid \"h\"\nmsgstr \"i\"\n";
  const PoSource sorted = sourceOf(kLateAndOutOfOrder, PoLayout::kNumberOrder);
  ASSERT_TRUE(sorted.result.ok()) << sorted.result.message();
  EXPECT_EQ(sorted.text,
            "Charset | 238\r\n7 | e // 7 | x\r\n9 | i\r\n12 | b | c\r\n"
            "100 | g\r\n");
}

TEST(PoSourceTest, TheCharsetComesFromTheLanguageWhereTheHeaderHasNone) {
  EXPECT_EQ(sourceOf("msgid \"\"\nmsgstr \"Language: ru\\n\"\n",
                     PoLayout::kNumberOrder)
                .charset,
            "204");
  EXPECT_EQ(sourceOf("msgid \"\"\nmsgstr \"Language: ru\\n"
                     "X-Parlavox-Charset: \\n\"\n",
                     PoLayout::kNumberOrder)
                .text,
            "");
  EXPECT_EQ(sourceOf("msgid \"\"\nmsgstr \"Language: xx\\n\"\n",
                     PoLayout::kNumberOrder)
                .charset,
            "");
}

struct Unfit {
  std::string_view entry;
  std::size_t line;
  std::string_view message;
};

TEST(PoSourceTest, WhatASourceCannotHoldIsAFaultOfItsEntry) {
  const Unfit cases[] = {
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b\\nc\"\n", 3,
       "msgctxt \"1\": the translation holds a line break, which a language "
       "source cannot hold"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b\\r\"\n", 3,
       "msgctxt \"1\": the translation holds a line break, which a language "
       "source cannot hold"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b^c\"\n", 3,
       "msgctxt \"1\": the translation holds \"^\", which breaks the line in "
       "a language source"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b // c\"\n", 3,
       "msgctxt \"1\": the translation holds \"//\", which starts a comment "
       "in a language source (only \"://\" may stand in a text)"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"//b\"\n", 3,
       "msgctxt \"1\": the translation holds \"//\", which starts a comment "
       "in a language source (only \"://\" may stand in a text)"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \" b\"\n", 3,
       "msgctxt \"1\": the translation begins with a space, which a language "
       "source drops"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b \"\n", 3,
       "msgctxt \"1\": the translation ends with a space, which a language "
       "source drops"},
      {"# see ^2\nmsgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgctxt \"1\": the translator comment holds \"^\", which breaks the "
       "line in a language source"},
      {"# see\r5 | more\nmsgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgctxt \"1\": the translator comment holds a line break, which a "
       "language source cannot hold"},
      {"msgctxt \"menu\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgctxt \"menu\" is no line number"},
      {"msgctxt \"-1\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgctxt \"-1\" is no line number"},
      {"msgctxt \"01\"\nmsgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgctxt \"01\" is no line number"},
      {"msgid \"a\"\nmsgstr \"b\"\n", 1,
       "msgid \"a\" has no msgctxt with its line number"},
      {"msgctxt \"4\"\nmsgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\n", 1,
       "msgctxt \"4\" has plural forms (msgid_plural), which a language "
       "source cannot hold"},
      {"msgctxt \"4\"\nmsgid \"a\"\nmsgstr \"\"\n\n"
       "msgctxt \"4\"\nmsgid \"b\"\nmsgstr \"\"\n",
       5, "msgctxt \"4\" is there twice, first on line 1"},
      {"msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"\"\n\n"
       "msgctxt \"5\"\nmsgid \"b\"\nmsgstr \"\"\n\n"
       "msgctxt \"3\"\nmsgid \"c\"\nmsgstr \"\"\n\n"
       "msgctxt \"5\"\nmsgid \"d\"\nmsgstr \"\"\n",
       13, "msgctxt \"5\" is there twice, first on line 5"},
      {"msgctxt \"0\"\nmsgid \"a\"\nmsgstr \"\"\n\n"
       "msgctxt \"5\"\nmsgid \"b\"\nmsgstr \"\"\n\n"
       "msgctxt \"0\"\nmsgid \"c\"\nmsgstr \"\"\n",
       9, "msgctxt \"0\" is there twice, first on line 1"},
      {"msgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b^\"\n\n"
       "msgid \"\"\nmsgstr \"X-Parlavox-Charset: ANSI\\n\"\n",
       6, "X-Parlavox-Charset \"ANSI\" is no number"},
      {"msgid \"\"\nmsgstr \"X-Parlavox-Charset: ANSI\\n\"\n", 2,
       "X-Parlavox-Charset \"ANSI\" is no number"},
  };
  for (const Unfit& unfit : cases) {
    SCOPED_TRACE(unfit.entry);
    const PoSource source = sourceOf(unfit.entry, PoLayout::kNumberOrder);
    EXPECT_FALSE(source.result.ok());
    EXPECT_EQ(source.result.message(), unfit.message);
    EXPECT_EQ(source.result.line(), unfit.line);
  }
}

// A language source trims spaces around a comment, and nothing else; the
// import does the same, so that an export reads back into the same comment.
TEST(PoSourceTest, ACommentKeepsItsTabsAndLosesItsSpaces) {
  const PoSource source =
      sourceOf("#  note\t \t\nmsgctxt \"0\"\nmsgid \"a\"\nmsgstr \"b\"\n",
               PoLayout::kNumberOrder);
  ASSERT_TRUE(source.result.ok()) << source.result.message();
  EXPECT_EQ(source.text, "0 | b // note\t \t\r\n");
}

TEST(PoSourceTest, FuzzyAndUntranslatedTextsAreNotChecked) {
  const PoSource source =
      sourceOf("#, fuzzy\nmsgctxt \"1\"\nmsgid \"a\"\nmsgstr \"b // c\"\n",
               PoLayout::kNumberOrder);
  EXPECT_TRUE(source.result.ok());
  EXPECT_EQ(source.text, "");
}

TEST(PoSourceTest, TheImportIsInTheCodePageWhereEveryTextFits) {
  EncodedSource fits = encodeSource("0 | Zażółć\r\n", "238");
  EXPECT_EQ(fits.bytes, "0 | Za\xBF\xF3\xB3\xE6\r\n");
  ASSERT_NE(fits.page, nullptr);
  EXPECT_EQ(fits.page->name, "Windows-1250");
  EncodedSource cyrillic = encodeSource("0 | Файл\r\n", "238");
  EXPECT_EQ(cyrillic.bytes, "0 | Файл\r\n");
  EXPECT_EQ(cyrillic.page, nullptr);
  EncodedSource noPage = encodeSource("0 | café\r\n", "1");
  EXPECT_EQ(noPage.bytes, "0 | café\r\n");
  EXPECT_EQ(noPage.page, nullptr);
  // "Ă" and "©" in Windows-1250 are the bytes of the UTF-8 "é": written so,
  // the file would be read as UTF-8.
  EncodedSource lookalike = encodeSource("0 | Ă©\r\n", "238");
  EXPECT_EQ(lookalike.bytes, "0 | Ă©\r\n");
  EXPECT_EQ(lookalike.page, nullptr);
}

}  // namespace
}  // namespace parlavox
