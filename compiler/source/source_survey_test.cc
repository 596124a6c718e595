// The first reading of a source that is not ASCII, and the pieces it shares
// with the second: each must decide, from blocks of any size, what the
// whole source in memory decides.

#include "compiler/source/source_survey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>

#include "compiler/encodings/utf16.h"
#include "compiler/encodings/utf16_decoder.h"
#include "compiler/source/decoded_blocks.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {
namespace {

using namespace std::string_literals;

// A source held in memory, handed out in reads of at most `step` bytes.
class StringBlocks : public SourceBlocks {
 public:
  StringBlocks(std::string bytes, std::size_t step)
      : bytes_(std::move(bytes)), step_(step) {}

  std::uint64_t size() const override { return bytes_.size(); }
  std::optional<std::size_t> read(std::span<char> into) override {
    const std::size_t count =
        std::min({into.size(), bytes_.size() - at_, step_});
    std::copy_n(bytes_.data() + at_, count, into.data());
    at_ += count;
    return count;
  }
  bool unchanged() override { return true; }

  // The bytes handed out so far.
  std::size_t read() const { return at_; }

 private:
  std::string bytes_;
  std::size_t step_;
  std::size_t at_ = 0;
};

// The code page `source` names, found in blocks of `blockSize` bytes.
const CodePage* pageInBlocks(std::string_view source, std::size_t blockSize) {
  CharsetLineFinder finder;
  for (std::size_t at = 0; at < source.size(); at += blockSize) {
    finder.observe(source.substr(at, blockSize));
  }
  return finder.finish();
}

std::string nameOf(const CodePage* page) {
  return page == nullptr ? "none" : std::to_string(page->number);
}

TEST(CharsetLineFinderTest, FirstCharsetLineAtTheStartOfALineCounts) {
  const struct {
    std::string_view source;
    std::string_view page;
  } cases[] = {
      {"Charset | 128\r\n", "932"},
      {"0 | a\r\n  Charset  |  0128  // Japanese\r\n", "932"},
      {"Charset|129^0 | a", "949"},
      {"0 | Charset | 128\nxCharset | 129\n", "none"},
      {"Charset 128\nCharset | 134\n", "936"},      // no "|": the next one
      {"Charset | 1 28\nCharset | 134\n", "none"},  // the first one decides
      {"Charset | 128/\n", "none"},
      {"Charset | //128\n", "none"},
      {"Charset | 0000\n", "1252"},
      {"Charset | 1280\n", "none"},
      {"Charset |\t128\n", "none"},
      {"Charset | 136", "950"},  // up to the end of the file
      {"Char\nset | 128\n", "none"},
  };
  for (const auto& c : cases) {
    for (std::size_t blockSize : {1, 2, 3, 5, 7, 64}) {
      EXPECT_EQ(nameOf(pageInBlocks(c.source, blockSize)), c.page)
          << c.source << " in blocks of " << blockSize;
    }
  }
}

TEST(CharsetLineFinderTest, FindsWhatTheWholeSourceSearchFinds) {
  // Sources made of the pieces the search looks at, cut anywhere.
  constexpr std::string_view kPieces[] = {
      "Charset", "Char", "set", " ",  "  ", "|", "128", "0",    "13", "4",
      "/",       "//",   "\r",  "\n", "^",  "x", "C",   "\r\n", "\t"};
  std::mt19937 random(3);
  for (int round = 0; round < 20000; ++round) {
    std::string source;
    const int pieces = 1 + static_cast<int>(random() % 24);
    for (int i = 0; i < pieces; ++i) {
      source += kPieces[random() % std::size(kPieces)];
    }
    const CodePage* whole = codePageNamed(findCharsetValue(source));
    const std::size_t blockSize = 1 + random() % 9;
    ASSERT_EQ(nameOf(pageInBlocks(source, blockSize)), nameOf(whole))
        << "\"" << source << "\" in blocks of " << blockSize;
  }
}

// What the decoder makes of `bytes` in blocks of `blockSize`: the text, or
// the fault's line and message.
std::string decodedInBlocks(std::string_view bytes, bool bigEndian,
                            std::size_t blockSize) {
  Utf16Decoder decoder(bigEndian);
  std::string text;
  for (std::size_t at = 0; at < bytes.size(); at += blockSize) {
    const std::string_view block = bytes.substr(at, blockSize);
    std::string out(Utf16Decoder::mostUtf8For(block.size()), '\0');
    text.append(out.data(), decoder.decode(block, out.data()));
  }
  decoder.finish();
  if (decoder.fault()) {
    return "fault " + std::to_string(decoder.fault()->line) + ": " +
           decoder.fault()->message;
  }
  EXPECT_EQ(decoder.written(), text.size());
  return text;
}

TEST(Utf16DecoderTest, SplitAnywhereDecodesAsTheWholeSource) {
  constexpr char16_t kUnits[] = {u'a',   u'\r',  u'\n',  u'|',
                                 0x00E9, 0x20AC, 0xD83D, 0xDE00,
                                 0xDBFF, 0xDFFF, 0xDC00, 0xD800};
  std::mt19937 random(5);
  for (int round = 0; round < 20000; ++round) {
    std::u16string units;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      units += kUnits[random() % std::size(kUnits)];
    }
    const bool bigEndian = random() % 2 == 0;
    std::string bytes = utf16Bytes(units, bigEndian);
    if (random() % 4 == 0) bytes += 'z';  // half a unit at the end
    const std::string marked = (bigEndian ? "\xFE\xFF"s : "\xFF\xFE"s) + bytes;
    const PreparedSource whole = prepareSource(FileText(marked));
    const std::string expected =
        whole.fault ? "fault " + std::to_string(whole.fault->line) + ": " +
                          whole.fault->message
                    : std::string(whole.text.view());
    const std::size_t blockSize = 1 + random() % 7;
    ASSERT_EQ(decodedInBlocks(bytes, bigEndian, blockSize), expected)
        << "round " << round << " in blocks of " << blockSize;
  }
}

TEST(Utf16DecoderTest, FaultsNameTheLineOfTheBrokenCharacter) {
  // A lone high surrogate on line 3, after CR LF and a lone CR.
  EXPECT_EQ(decodedInBlocks(utf16Bytes(u"a\r\nb\r\xD800"
                                       u"c",
                                       false),
                            false, 3),
            "fault 3: the file is saved as UTF-16, but this line holds half "
            "of a character (U+D800 without its other half)");
  // Half a unit after a last CR is on the line the CR ends.
  EXPECT_EQ(decodedInBlocks(utf16Bytes(u"a\r", true) + "z", true, 1),
            "fault 2: the file is saved as UTF-16, but it ends in half a "
            "character (an odd number of bytes)");
}

// The survey of `bytes` read in blocks of `blockSize`.
SourceSurvey surveyed(std::string bytes, std::size_t blockSize) {
  StringBlocks blocks(std::move(bytes), blockSize);
  return surveySource(&blocks, blockSize).value();
}

TEST(SourceSurveyTest, DecidesAsTheWholeSourceDoes) {
  for (std::size_t blockSize : {1, 2, 4, 4096}) {
    SCOPED_TRACE(blockSize);
    const SourceSurvey marked = surveyed(
        "\xEF\xBB\xBF"
        "0 | a\n",
        blockSize);
    EXPECT_EQ(marked.encoding, SourceEncoding::kUtf8);
    EXPECT_EQ(marked.mark, ByteOrderMark::kUtf8);

    EXPECT_EQ(surveyed("0 | a\n1 | \xC5\x82\n", blockSize).encoding,
              SourceEncoding::kUtf8);
    // A byte that UTF-8 does not allow at the very end makes it 8-bit.
    const SourceSurvey cut =
        surveyed("Charset | 238\n0 | \xC5\x82\n1 | \xC5", blockSize);
    EXPECT_EQ(cut.encoding, SourceEncoding::kEightBit);
    EXPECT_EQ(nameOf(cut.quotePage), "1250");
    EXPECT_EQ(cut.characters, nullptr);

    const SourceSurvey big = surveyed("\xFE\xFF\x00|\xD8\x00"s, blockSize);
    EXPECT_EQ(big.encoding, SourceEncoding::kUtf16Be);
    ASSERT_TRUE(big.fault.has_value());
    EXPECT_EQ(big.fault->line, 1U);

    // A Charset line after the texts still decides how they split.
    const SourceSurvey late =
        surveyed("0 | \x83\x7C\n Charset | 128\n", blockSize);
    EXPECT_EQ(late.encoding, SourceEncoding::kEightBit);
    EXPECT_EQ(nameOf(late.characters), "932");
  }
}

TEST(SourceSurveyTest, EightBitSourceIsReadOnlyUntilNothingCanChange) {
  // Past the Charset line and a byte that no UTF-8 has, the rest of the
  // file cannot change how it is read.
  const std::string start = "Charset | 128\n0 | \x83\x7C\n";
  StringBlocks blocks(start + std::string(1 << 20, 'x'), 4096);
  const SourceSurvey survey = surveySource(&blocks, 4096).value();
  EXPECT_EQ(nameOf(survey.characters), "932");
  EXPECT_LE(blocks.read(), 3 * 4096U);
  // Without a Charset line it is read to its end.
  StringBlocks whole("0 | \x83\x7C\n" + std::string(1 << 20, 'x'), 4096);
  EXPECT_EQ(surveySource(&whole, 4096).value().characters, nullptr);
  EXPECT_EQ(whole.read(), (1U << 20) + 7);
}

TEST(DecodedBlocksTest, MarkAndUtf16AreReadAwayInReadsOfAnySize) {
  for (std::size_t step : {1, 2, 3, 100}) {
    StringBlocks file(
        "\xFF\xFE"
        "a\x00\x3D\xD8\x00\xDE\n\x00"s,
        step);
    BlocksAfter text(&file, 2);
    Utf16Blocks utf8(&text, false);
    std::string read;
    char buffer[3];
    for (;;) {
      const std::optional<std::size_t> got = utf8.read(buffer);
      ASSERT_TRUE(got.has_value());
      if (*got == 0) break;
      read.append(buffer, *got);
    }
    EXPECT_EQ(read, "a\xF0\x9F\x98\x80\n") << "reads of " << step;
  }
  // A fault that the survey did not see means the file changed.
  StringBlocks broken("\x00\xD8"s, 8);
  Utf16Blocks utf8(&broken, false);
  char buffer[16];
  EXPECT_EQ(utf8.read(buffer), std::nullopt);
}

}  // namespace
}  // namespace parlavox
