// Compares the parser with the plain literal one on many generated sources.

#include <gtest/gtest.h>

#include <random>

#include "compiler/compile.h"
#include "compiler/format/compiled_stream.h"
#include "compiler/format/language_source.h"
#include "compiler/format/source_scanner.h"
#include "compiler/format/test_literal_parser.h"

namespace parlavox {
namespace {

// Sources built from the pieces that matter to the format, mostly shaped as
// entries so that some of them compile.
std::string generate(std::mt19937& random) {
  static const std::vector<std::string> kBits = {"0",
                                                 "1",
                                                 "2",
                                                 "3",
                                                 "9",
                                                 "00",
                                                 "-1",
                                                 "-0",
                                                 "+2",
                                                 "-5",
                                                 "Charset",
                                                 "|",
                                                 " ",
                                                 "  ",
                                                 "/",
                                                 "//",
                                                 ":",
                                                 "://",
                                                 ":\\\\",
                                                 "\\",
                                                 "^",
                                                 "\r",
                                                 "\n",
                                                 "\r\n",
                                                 "x",
                                                 "%1",
                                                 "\t",
                                                 "charset",
                                                 "12345678901234567890123"};
  std::string text;
  const int lines = std::uniform_int_distribution<int>(0, 8)(random);
  for (int line = 0; line < lines; ++line) {
    if (random() % 3 != 0) {
      text += std::to_string(random() % 4) + " | ";
    }
    const int bits = std::uniform_int_distribution<int>(0, 6)(random);
    for (int b = 0; b < bits; ++b) text += kBits[random() % kBits.size()];
    text += (random() % 2 != 0) ? "\r\n" : "\n";
  }
  return text;
}

TEST(DifferentialTest, ParserAgreesWithTheLiteralParser) {
  std::mt19937 random(20261208);
  int compiled = 0;
  for (int round = 0; round < 50000; ++round) {
    const std::string text = generate(random);
    const literal::Result expected = literal::compile(text);
    ParseResult actual = parseLanguageSource(text);
    ASSERT_EQ(actual.ok(), expected.ok) << testing::PrintToString(text);
    if (expected.ok) {
      ++compiled;
      ASSERT_EQ(joinEntries(*actual.table) + "\r\n", expected.compiled)
          << testing::PrintToString(text);
    } else {
      ASSERT_EQ(actual.fault.message, expected.message)
          << testing::PrintToString(text);
    }
  }
  // The generator must reach both outcomes for the comparison to mean much.
  EXPECT_GT(compiled, 1000);
  EXPECT_LT(compiled, 49000);
}

class StringOutput : public TextOutput {
 public:
  bool put(std::uint64_t /*slot*/, std::string_view text,
           std::size_t /*line*/) override {
    forEachCompiledPiece(text,
                         [&](std::string_view piece) { written += piece; });
    return true;
  }

  std::string written;
};

// The compiled file, or the fault, of `text` streamed in blocks of
// `blockSize` bytes.
std::string streamed(std::string_view text, std::size_t blockSize) {
  StringOutput out;
  CompiledStream stream(&out);
  SourceScanner scanner(&stream, text.size());
  for (std::size_t at = 0; at < text.size(); at += blockSize) {
    if (!scanner.feed(text.substr(at, blockSize))) break;
  }
  const ScanResult scanned = scanner.finish();
  if (!scanned.ok()) {
    return "fault: " + scanned.fault.message + " @" +
           std::to_string(scanned.fault.line);
  }
  if (!stream.finish(scanned.slotCount)) return "stopped";
  return out.written;
}

TEST(DifferentialTest, StreamedCompileInBlocksAgreesWithTheTable) {
  std::mt19937 random(20261217);
  for (int round = 0; round < 50000; ++round) {
    const std::string text = generate(random);
    const ParseResult parsed = parseLanguageSource(text);
    const std::string expected = parsed.ok()
                                     ? joinEntries(*parsed.table) + "\r\n"
                                     : "fault: " + parsed.fault.message + " @" +
                                           std::to_string(parsed.fault.line);
    const std::size_t blockSize = 1 + random() % 16;
    ASSERT_EQ(streamed(text, blockSize), expected)
        << testing::PrintToString(text) << " in blocks of " << blockSize;
  }
}

}  // namespace
}  // namespace parlavox
