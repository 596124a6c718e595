#include "compiler/source/charset_fit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/format/language_source.h"

namespace parlavox {
namespace {

std::optional<unsigned> fitting(std::string_view source) {
  ParseResult parsed = parseLanguageSource(source);
  EXPECT_TRUE(parsed.ok()) << source;
  return charsetHoldingAll(*parsed.table);
}

TEST(CharsetFitTest, TheFirstCodePageInTheTablesOrderThatHoldsEveryText) {
  EXPECT_EQ(fitting("0 | Zażółć\n1 | jaźń\n"), 238u);
  // Windows-1252 holds ö and ß, which come first.
  EXPECT_EQ(fitting("0 | Größe\n"), 0u);
  EXPECT_EQ(fitting("0 | Ελληνικά\n"), 161u);
  EXPECT_EQ(fitting("0 | עברית\n"), 177u);
  EXPECT_EQ(fitting("0 | ไทย\n"), 222u);
  EXPECT_EQ(fitting("0 | 简体中文\n1 | 打开\n"), 134u);
  // Windows-932 holds these kanji, and comes first.
  EXPECT_EQ(fitting("0 | 繁體中文\n"), 128u);
  EXPECT_EQ(fitting("0 | Привет\n1 | Κόσμε\n"), std::nullopt);
  EXPECT_EQ(fitting("0 | 😀\n"), std::nullopt);
}

TEST(CharsetFitTest, TheOrderIsTheReadmesTable) {
  std::ifstream readme(PARLAVOX_SOURCE_DIR "/README.md");
  ASSERT_TRUE(readme);
  std::stringstream text;
  text << readme.rdbuf();
  const std::string all = text.str();
  const std::regex row(R"(\n\| (\d+) +\| (Windows-\d+|Mac Roman) +\|)");
  std::vector<unsigned> rows;
  for (std::sregex_iterator it(all.begin(), all.end(), row), end; it != end;
       ++it) {
    rows.push_back(static_cast<unsigned>(std::stoul((*it)[1].str())));
  }
  EXPECT_EQ(rows, std::vector<unsigned>(kCharsetsInTableOrder.begin(),
                                        kCharsetsInTableOrder.end()));
}

}  // namespace
}  // namespace parlavox
