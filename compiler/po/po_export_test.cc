#include "compiler/po/po_export.h"

#include <gtest/gtest.h>

#include <string>

#include "compiler/encodings/code_pages.h"
#include "compiler/format/language_source.h"
#include "compiler/po/messages.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {
namespace {

// The bytes that `page` gives back from the characters it reads them as,
// and the fault of the others, as the export must tell them apart.
TEST(PoExportTest, EachByteOfASingleBytePageIsItsCharacterOrAFault) {
  int pages = 0;
  int faults = 0;
  for (unsigned value = 0; value < 256; ++value) {
    const CodePage* page = codePageNamed(std::to_string(value));
    if (page == nullptr || page->doubleByte) continue;
    ++pages;
    std::string fitting;
    std::string fittingUtf8;
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const std::string utf8 = decodeToUtf8(*page, byte);
      std::string back;
      const bool comesBack =
          encodeFromUtf8(*page, utf8, &back).ok && back == byte;
      std::string source = "Charset | " + std::to_string(value);
      source.append("\r\n0 | a").append(byte).append("z // ").append(byte);
      source.append("\r\n");
      ParseResult parsed = parseLanguageSource(std::string_view(source));
      ASSERT_TRUE(parsed.ok()) << parsed.fault.message;
      const ReadTable table{&*parsed.table, SourceEncoding::kEightBit};
      const PoExport exported = exportPo(table, "langX.txt", table, nullptr);
      if (!comesBack) {
        ++faults;
        EXPECT_EQ(exported.result.message(),
                  messages::poNotDecodable("line number 0", page->name, value))
            << page->name << " byte " << b;
        EXPECT_EQ(exported.result.line(), 2u);
        continue;
      }
      ASSERT_TRUE(exported.result.ok())
          << page->name << " byte " << b << ": " << exported.result.message();
      std::string entry = "# " + utf8;
      entry.append("\n#. ").append(utf8);
      entry.append("\n#: langX.txt:2\nmsgctxt \"0\"\nmsgid \"a").append(utf8);
      entry.append("z\"\nmsgstr \"a").append(utf8).append("z\"\n");
      EXPECT_NE(exported.text.find(entry), std::string::npos)
          << page->name << " byte " << b << ":\n"
          << exported.text;
      fitting.append(byte).append("x");
      fittingUtf8.append(utf8).append("x");
    }
    // Every letter of the page in one text, each after ASCII.
    const std::string source =
        "Charset | " + std::to_string(value) + "\r\n0 | " + fitting + "\r\n";
    ParseResult parsed = parseLanguageSource(std::string_view(source));
    ASSERT_TRUE(parsed.ok());
    const ReadTable table{&*parsed.table, SourceEncoding::kEightBit};
    const PoExport exported = exportPo(table, "langX.txt", table, nullptr);
    ASSERT_TRUE(exported.result.ok()) << page->name;
    EXPECT_NE(exported.text.find("msgstr \"" + fittingUtf8 + "\"\n"),
              std::string::npos)
        << page->name;
  }
  EXPECT_GE(pages, 10);
  EXPECT_GT(faults, 0);
}

TEST(PoExportTest, TheSinkTakesTheWholeFileInOrderInParts) {
  std::string source = "Charset | 238\r\n";
  for (int n = 0; n < 20000; ++n) {
    source += std::to_string(n) + " | Zapisz \xB9 " + std::to_string(n) +
              " // okno\r\n";
  }
  ParseResult parsed = parseLanguageSource(std::string_view(source));
  ASSERT_TRUE(parsed.ok());
  const ReadTable table{&*parsed.table, SourceEncoding::kEightBit};
  const PoExport whole = exportPo(table, "langX.txt", table, nullptr);
  ASSERT_TRUE(whole.result.ok());
  std::string parts;
  std::size_t count = 0;
  const PoExport streamed =
      exportPo(table, "langX.txt", table, nullptr, [&](std::string_view part) {
        parts.append(part);
        ++count;
      });
  ASSERT_TRUE(streamed.result.ok());
  EXPECT_TRUE(streamed.text.empty());
  EXPECT_EQ(parts, whole.text);
  EXPECT_GT(count, 10u);
  EXPECT_EQ(streamed.entries, 20000u);
  EXPECT_NE(
      whole.text.find("msgctxt \"19999\"\nmsgid \"Zapisz \xC4\x85 19999\""),
      std::string::npos);
}

}  // namespace
}  // namespace parlavox
