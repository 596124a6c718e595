#include "compiler/reference_check.h"

#include <gtest/gtest.h>

#include "compiler/format/language_source.h"

namespace parlavox {
namespace {

EntryTable parsed(std::string_view text) {
  ParseResult result = parseLanguageSource(text);
  EXPECT_TRUE(result.ok()) << result.fault.message;
  return result.ok() ? std::move(*result.table) : EntryTable();
}

PlaceholderCounts counts(std::initializer_list<std::pair<int, int>> uses) {
  PlaceholderCounts result{};
  for (auto [digit, times] : uses) result[digit - 1] = times;
  return result;
}

TEST(PlaceholderTest, CountsPercentAndOneDigit) {
  EXPECT_EQ(countPlaceholders("Save %1 as %2, then %1"),
            counts({{1, 2}, {2, 1}}));
  EXPECT_EQ(countPlaceholders("%10 and %9"), counts({{1, 1}, {9, 1}}));
  EXPECT_EQ(countPlaceholders("100% %0 %a % %"), counts({}));
  EXPECT_EQ(countPlaceholders("%%1"), counts({{1, 1}}));
  EXPECT_EQ(countPlaceholders("ends in %"), counts({}));
  EXPECT_EQ(countPlaceholders("%3"), counts({{3, 1}}));
}

TEST(ReferenceCheckTest, ReorderedPlaceholdersAreFine) {
  const ReferenceCheck check = checkAgainstReference(parsed("0 | %2 von %1\n"),
                                                     parsed("0 | %1 of %2\n"));
  EXPECT_TRUE(check.findings.empty());
}

TEST(ReferenceCheckTest, DroppedOrDoubledPlaceholderIsFoundOnItsLine) {
  const ReferenceCheck check = checkAgainstReference(
      parsed("// Deutsch\r\nCharset | 0\r\n\r\n0 | Datei\r\n// menu\r\n"
             "1 | Speichern als %1\r\n\r\n2 | %1 %1 %2\r\n"),
      parsed("Charset | 0\n0 | File\n1 | Save %1 as %2\n2 | %1 %2\n"));
  ASSERT_EQ(check.findings.size(), 2u);
  EXPECT_EQ(check.findings[0].kind, Finding::Kind::kPlaceholders);
  EXPECT_EQ(check.findings[0].lineNumber, 1u);
  EXPECT_EQ(check.findings[0].physicalLine, 6u);
  EXPECT_EQ(check.findings[0].translation, counts({{1, 1}}));
  EXPECT_EQ(check.findings[0].reference, counts({{1, 1}, {2, 1}}));
  EXPECT_EQ(check.findings[1].lineNumber, 2u);
  EXPECT_EQ(check.findings[1].physicalLine, 8u);
  EXPECT_EQ(check.findings[1].translation, counts({{1, 2}, {2, 1}}));
}

TEST(ReferenceCheckTest, TranslationEndingEarlyMissesTheRest) {
  const ReferenceCheck check = checkAgainstReference(
      parsed("0 | a\n1 | b\n2 | c\n"),
      parsed("0 | A\n1 | B\n2 | C\n3 | D\n4 | E\n5 | F\n6 | G\n7 | H\n"));
  ASSERT_EQ(check.findings.size(), 1u);
  EXPECT_EQ(check.findings[0].kind, Finding::Kind::kMissing);
  EXPECT_EQ(check.findings[0].lineNumber, 3u);
  EXPECT_EQ(check.findings[0].lastLineNumber, 7u);
  EXPECT_EQ(check.findings[0].physicalLine, 0u);
  EXPECT_EQ(check.missing, 5u);
  EXPECT_EQ(check.extra, 0u);
}

TEST(ReferenceCheckTest, LinesBeyondTheReferenceAreExtra) {
  const ReferenceCheck check =
      checkAgainstReference(parsed("0 | a\n\n// new\n2 | c\n1 | b\n"),
                            parsed("Charset | 0\n0 | A\n"));
  ASSERT_EQ(check.findings.size(), 1u);
  EXPECT_EQ(check.findings[0].kind, Finding::Kind::kExtra);
  EXPECT_EQ(check.findings[0].lineNumber, 1u);
  EXPECT_EQ(check.findings[0].lastLineNumber, 2u);
  EXPECT_EQ(check.findings[0].physicalLine, 5u);
  EXPECT_EQ(check.extra, 2u);
}

TEST(ReferenceCheckTest, IdenticalTextsAreCountedNotReported) {
  const ReferenceCheck check = checkAgainstReference(
      parsed("Charset | 238\n0 | OK\n1 | Datei\n2 | Parlavox %1\n"),
      parsed("Charset | 0\n0 | OK\n1 | File\n2 | Parlavox %1\n"));
  EXPECT_TRUE(check.findings.empty());
  EXPECT_EQ(check.identical, 2u);
}

TEST(ChangedInReferenceTest, NamesChangedTextsOnTheTranslationsLine) {
  const EntryTable previous = parsed("0 | File\n1 | Save\n2 | OK\n3 | Quit\n");
  const EntryTable reference =
      parsed("0 | File\n1 | Save as %1\n2 | OK\n3 | Exit\n4 | New\n");
  // Line number 3 is beyond the translation, 4 beyond the previous one.
  const EntryTable translation =
      parsed("// t\n0 | Datei\n\n1 | Sichern\n2 | OK\n");
  ReferenceCheck check = checkAgainstReference(translation, reference);
  checkChangedInReference(translation, previous, reference, &check);
  ASSERT_EQ(check.findings.size(), 3u);
  EXPECT_EQ(check.findings[0].kind, Finding::Kind::kPlaceholders);
  EXPECT_EQ(check.findings[1].kind, Finding::Kind::kChanged);
  EXPECT_EQ(check.findings[1].lineNumber, 1u);
  EXPECT_EQ(check.findings[1].physicalLine, 4u);
  EXPECT_EQ(check.findings[1].before, "Save");
  EXPECT_EQ(check.findings[1].after, "Save as %1");
  EXPECT_EQ(check.findings[2].kind, Finding::Kind::kMissing);
  EXPECT_EQ(check.changed, 1u);
}

TEST(ChangedInReferenceTest, UnchangedReferenceCountsZero) {
  const EntryTable reference = parsed("0 | a\n1 | b\n");
  const EntryTable translation = parsed("0 | x\n1 | y\n2 | z\n");
  ReferenceCheck check = checkAgainstReference(translation, reference);
  EXPECT_FALSE(check.changed.has_value());
  checkChangedInReference(translation, reference, reference, &check);
  EXPECT_EQ(check.changed, 0u);
  ASSERT_EQ(check.findings.size(), 1u);
  EXPECT_EQ(check.findings[0].kind, Finding::Kind::kExtra);
}

}  // namespace
}  // namespace parlavox
