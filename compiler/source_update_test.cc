#include "compiler/source_update.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "compiler/compile.h"
#include "compiler/format/language_source.h"

namespace parlavox {
namespace {

EntryTable tableOf(std::string_view text) {
  ParseResult parsed = parseLanguageSource(text);
  EXPECT_TRUE(parsed.ok()) << parsed.fault.message;
  return parsed.ok() ? std::move(*parsed.table) : EntryTable();
}

std::string appendedTo(const std::string& translation,
                       const std::string& reference) {
  return updateFromReference(tableOf(translation), tableOf(reference)).appended;
}

constexpr char kReference[] =
    "// English\r\n"
    "Charset | 0\r\n"
    "0 | File   // menu\r\n"
    "1 | Save %1 as %2\r\n"
    "2 | Help: http://www.parlavox.example/help  //  address  \r\n"
    "3 | See a://b\r\n"
    "4 |   Stop //\r\n";

TEST(SourceUpdateTest, AppendsTheMissingNumbersWithTheirComments) {
  EXPECT_EQ(appendedTo("Charset | 0\r\n0 | Datei\r\n", kReference),
            "// New in the reference, to be translated:\r\n"
            "1 | Save %1 as %2\r\n"
            "2 | Help: http://www.parlavox.example/help // address\r\n"
            "3 | See a://b\r\n"
            "4 | Stop\r\n");
}

TEST(SourceUpdateTest, AddedLinesEndAsTheSourcesFirstLineEnd) {
  const std::string added =
      "// New in the reference, to be translated:#3 | See a://b#4 | Stop#";
  auto with = [&](const std::string& eol) {
    std::string text = added;
    for (std::size_t at = text.find('#'); at != std::string::npos;
         at = text.find('#', at)) {
      text.replace(at, 1, eol);
      at += eol.size();
    }
    return text;
  };
  EXPECT_EQ(appendedTo("0 | a\r\n1 | b\n2 | c\n", kReference), with("\r\n"));
  EXPECT_EQ(appendedTo("0 | a\n1 | b\r\n2 | c\r", kReference), with("\n"));
  EXPECT_EQ(appendedTo("0 | a\r1 | b\r\n2 | c\r\n", kReference), with("\r"));
  // Without any line end, CR LF; "^" breaks a line but does not end one.
  EXPECT_EQ(appendedTo("0 | a ^1 | b^2 | c^", kReference),
            "\r\n" + with("\r\n"));
}

TEST(SourceUpdateTest, UpToDateOrLongerSourceGetsNothing) {
  EXPECT_EQ(appendedTo(kReference, kReference), "");
  EXPECT_EQ(appendedTo("0|a\n1|b\n2|c\n3|d\n4|e\n5|f\n", kReference), "");
}

TEST(SourceUpdateTest, SourceWithoutFinalLineEndIsEndedFirst) {
  const SourceUpdate update =
      updateFromReference(tableOf("0 | a\n1 | b"), tableOf(kReference));
  EXPECT_EQ(update.appended,
            "\n// New in the reference, to be translated:\n"
            "2 | Help: http://www.parlavox.example/help // address\n"
            "3 | See a://b\n4 | Stop\n");
  EXPECT_EQ(update.firstAdded, 2u);
  EXPECT_EQ(update.added, 3u);
  // Up to date: not even the line end is added.
  EXPECT_EQ(appendedTo("0|a\n1|b\n2|c\n3|d\n4|e", kReference), "");
}

TEST(SourceUpdateTest, NonAsciiTextsUnderAnotherCharsetAreNamed) {
  const std::string reference =
      "Charset | 238\n0 | a\n1 | \xE9t\xE9\n2 | b\n3 | \xF6\n";
  const SourceUpdate update = updateFromReference(
      tableOf("// Deutsch\r\nCharset | 0\r\n\r\n0 | x"), tableOf(reference));
  ASSERT_EQ(update.charsetRisks.size(), 2u);
  // Line 4 ends the source, the introduction is line 5, number 1 line 6.
  EXPECT_EQ(update.charsetRisks[0].lineNumber, 1u);
  EXPECT_EQ(update.charsetRisks[0].physicalLine, 6u);
  EXPECT_EQ(update.charsetRisks[1].lineNumber, 3u);
  EXPECT_EQ(update.charsetRisks[1].physicalLine, 8u);

  // The same Charset, or ASCII texts only, is no risk.
  EXPECT_TRUE(
      updateFromReference(tableOf("Charset | 238\n0 | x\n"), tableOf(reference))
          .charsetRisks.empty());
  EXPECT_TRUE(updateFromReference(tableOf("0 | x\n"), tableOf(kReference))
                  .charsetRisks.empty());
  // No Charset against one is a difference.
  EXPECT_EQ(updateFromReference(tableOf("0 | x\n"), tableOf(reference))
                .charsetRisks.size(),
            2u);
}

// Whatever the reference holds, the updated source compiles, keeps every
// text of the translation and takes every other one, with its comment, from
// the reference.
TEST(SourceUpdateTest, UpdatedSourceCompilesToTheReferencesTexts) {
  static const std::vector<std::string> kBits = {
      "x", " ", "  ", "/", "//", ":", "://", ":\\\\", "|", "%1", "\t", " // c"};
  std::mt19937 random(20261208);
  for (int round = 0; round < 5000; ++round) {
    std::string reference;
    const int lines = std::uniform_int_distribution<int>(1, 6)(random);
    for (int line = 0; line < lines; ++line) {
      reference += std::to_string(line) + " |" + kBits[random() % 12] + "t";
      for (int bit = 0; bit < 4; ++bit) {
        reference += kBits[random() % kBits.size()];
      }
      reference += "\r\n";
    }
    ParseResult parsedReference = parseLanguageSource(reference);
    if (!parsedReference.ok()) continue;
    const EntryTable& ref = *parsedReference.table;
    // Ended by LF, by CR, or not at all.
    static const std::vector<std::string> kTranslations = {
        "0 | kept // mine\n", "0 | kept\r", "// t\n0 | kept"};
    const std::string& translation = kTranslations[round % 3];
    const std::string updated =
        translation + appendedTo(translation, reference);
    ParseResult parsed = parseLanguageSource(updated);
    ASSERT_TRUE(parsed.ok()) << testing::PrintToString(updated);
    const EntryTable& table = *parsed.table;
    ASSERT_EQ(table.size(), ref.size()) << testing::PrintToString(updated);
    EXPECT_EQ(table[1], "kept");
    for (std::size_t slot = 2; slot < ref.size(); ++slot) {
      ASSERT_EQ(table[slot], ref[slot]) << testing::PrintToString(updated);
      ASSERT_EQ(table.comment(slot), ref.comment(slot))
          << testing::PrintToString(updated);
    }
  }
}

TEST(LineEndOfTest, FirstLineEndOrCrLf) {
  EXPECT_EQ(lineEndOf("a\r\nb\n"), "\r\n");
  EXPECT_EQ(lineEndOf("a\nb\r\n"), "\n");
  EXPECT_EQ(lineEndOf("a\rb\r\n"), "\r");
  EXPECT_EQ(lineEndOf("a\r"), "\r");
  EXPECT_EQ(lineEndOf("a^b"), "\r\n");
}

}  // namespace
}  // namespace parlavox
