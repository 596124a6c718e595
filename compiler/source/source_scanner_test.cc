#include "compiler/format/source_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "compiler/source/source_blocks.h"
#include "compiler/source/test_scan.h"

namespace parlavox {
namespace {

struct Taken {
  std::size_t slot;
  std::string text;
  std::uint64_t offset;
  std::size_t line;

  friend bool operator==(const Taken&, const Taken&) = default;
};

void PrintTo(const Taken& t, std::ostream* out) {
  *out << "{" << t.slot << ", " << testing::PrintToString(t.text) << ", "
       << t.offset << ", " << t.line << "}";
}

class Recorder : public EntrySink {
 public:
  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t line) override {
    taken.push_back({slot, std::string(text), offset, line});
    return taken.size() != refuseAt;
  }

  std::vector<Taken> taken;
  std::size_t refuseAt = 0;  // the count of texts at which to refuse
};

struct Scan {
  std::vector<Taken> taken;
  std::string outcome;
};

// Scans `text` fed in blocks of `blockSize` bytes.
Scan scanInBlocks(std::string_view text, std::size_t blockSize) {
  Recorder recorder;
  SourceScanner scanner(&recorder, text.size());
  for (std::size_t at = 0; at < text.size(); at += blockSize) {
    if (!scanner.feed(text.substr(at, blockSize))) break;
  }
  std::string ended = outcome(scanner.finish());  // may take a last text
  return {recorder.taken, std::move(ended)};
}

TEST(SourceScannerTest, GivesEachTextWithItsSlotOffsetAndPhysicalLine) {
  const std::string text =
      "// t\r\nCharset | 238 // cp\r\n\r\n  1 |  b  \n0 | a^2 | c\r3 | d";
  const Scan scan = scanInBlocks(text, text.size());
  EXPECT_EQ(scan.outcome, "scanned 5");
  EXPECT_EQ(scan.taken, (std::vector<Taken>{{0, "238", 16, 2},
                                            {2, "b", 36, 4},
                                            {1, "a", 44, 5},
                                            {3, "c", 50, 5},
                                            {4, "d", 56, 6}}));
}

TEST(SourceScannerTest, BlocksOfAnySizeScanAsTheWholeSource) {
  // Each source puts something that spans several bytes (CR LF, runs of
  // breaks and spaces, "://", long pieces) wherever a block may end.
  const std::vector<std::string> sources = {
      std::string("Charset | 238\r\n0 | Open // menu\r\n") +
          "2 | see http://x/y // a\r\n1 | Save %1 as %2\r\n",
      "0 | a\r\n\r\n\r  \n \r\n   1 | b\r\r\n2 | c",
      "0 | a" + std::string(300, '\n') + "x | y",
      "0 | a" + std::string(127, '^') + "\r\n  \r\n  x | y\n",
      "0 | " + std::string(100, 'x') + "://" + std::string(50, '/') + " // " +
          std::string(40, 'c') + "\n1 | b\n",
      "0 | a\n12 | b\n1 | c\n 012 | d\n",
      "0 | a\n4000000000 | x\n1 | b\n04000000000 | y\n",
      "0 | a\n3 | d\n1 | b\n5 | f\n",
      "0 | a\n   | x\n",
      "  | x\n0 | a",
      "0 | a\n1 | b^x | y\n",
      "0 | a\n  -05  | x\n",
      "\n\n0 | a\n1 |\n1 | b\n\n",
      "0 | a\r",
  };
  for (const std::string& text : sources) {
    const Scan whole = scanInBlocks(text, text.size());
    for (std::size_t blockSize = 1; blockSize <= 20; ++blockSize) {
      const Scan blocks = scanInBlocks(text, blockSize);
      ASSERT_EQ(blocks.outcome, whole.outcome)
          << testing::PrintToString(text) << " in blocks of " << blockSize;
      ASSERT_EQ(blocks.taken, whole.taken)
          << testing::PrintToString(text) << " in blocks of " << blockSize;
    }
  }
}

TEST(SourceScannerTest, FaultsNameTheirPieceAndLineAcrossBlocks) {
  for (std::size_t blockSize : {1, 2, 3, 7, 64}) {
    EXPECT_EQ(
        scanInBlocks("0 | a" + std::string(129, '\n') + "x | y\n", blockSize)
            .outcome,
        "string delimiter | missing in line \"x | y\" (2) @130")
        << blockSize;
    EXPECT_EQ(scanInBlocks("0 | a\r\n\r1 | b\n1 | c\n", blockSize).outcome,
              "double entry for line number 1 @4")
        << blockSize;
    EXPECT_EQ(scanInBlocks("0 | a\n7000000000 |\n7000000000 | x\n", blockSize)
                  .outcome,
              "entry for line number 1 missing @0")
        << blockSize;
  }
}

TEST(SourceScannerTest, ScansACopyAndTakesTheOriginalBytes) {
  // 0x81 0x7C is one character whose second byte is a "|"; the copy the
  // scan looks at has a letter there.
  const std::string original = "0 | A\x81|z // n\nx\x81| | y\n";
  std::string scanned = original;
  for (std::size_t at = scanned.find('\x81'); at != std::string::npos;
       at = scanned.find('\x81', at + 1)) {
    scanned[at + 1] = 'X';
  }
  for (std::size_t blockSize : {1, 2, 3, 5, 64}) {
    Recorder recorder;
    SourceScanner scanner(&recorder, original.size(), [](std::string_view b) {
      std::string quoted = "<";
      quoted += b;
      return quoted + ">";
    });
    for (std::size_t at = 0; at < original.size(); at += blockSize) {
      scanner.feed(std::string_view(scanned).substr(at, blockSize),
                   std::string_view(original).substr(at, blockSize));
    }
    EXPECT_EQ(outcome(scanner.finish()),
              "string delimiter | missing in line \"<x\x81| | y>\" (1) @2")
        << blockSize;
    EXPECT_EQ(recorder.taken, (std::vector<Taken>{{1, "A\x81|z", 4, 1}}))
        << blockSize;
  }
}

TEST(SourceScannerTest, EachRunOfLineEndsStartsOnePieceAndItsLines) {
  // The piece after the run, and its physical line, as the fault names them.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\n", "(1) @2"},    {"\r\n", "(1) @2"},     {"\r", "(1) @2"},
      {"\n\n", "(1) @3"},  {"\r\n\r\n", "(1) @3"}, {"\n\r", "(1) @3"},
      {"\n ", "(1) @2"},   {"\r\n  ", "(1) @2"},   {"^", "(1) @1"},
      {"\r\n^", "(1) @2"}, {"\n\n  ", "(1) @3"},   {"\r\r\n", "(1) @3"},
  };
  for (const auto& [run, named] : cases) {
    const std::string source = "0 | a" + run + "x | y\n1 | b\n";
    for (std::size_t blockSize :
         {std::size_t{1}, std::size_t{2}, std::size_t{5}, source.size()}) {
      EXPECT_EQ(scanInBlocks(source, blockSize).outcome,
                "string delimiter | missing in line \"x | y\" " + named)
          << testing::PrintToString(run) << " in blocks of " << blockSize;
    }
  }
}

TEST(SourceScannerTest, TheFirstBarEndsTheNumberWhereverItStands) {
  for (std::size_t width = 0; width <= 40; ++width) {
    // The number padded with zeros before it, or spaces after it.
    for (const std::string& number :
         {std::string(width, '0') + "1", "1" + std::string(width, ' ')}) {
      const std::string source = "0 | a\n" + number + "| b | c\n";
      const Scan scan = scanInBlocks(source, source.size());
      ASSERT_EQ(scan.outcome, "scanned 3") << number;
      EXPECT_EQ(scan.taken.back(),
                (Taken{2, "b | c", 6 + number.size() + 2, 2}))
          << testing::PrintToString(number);
    }
  }
}

TEST(SourceScannerTest, TheCommentStartsAtTheFirstSlashesOfNoAddress) {
  // Each case after texts of every length, so that its slashes fall in
  // every place of the wide steps they are looked for in.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a // b", "a"},
      {"a//b", "a"},
      {"see http://x/y // b", "see http://x/y"},
      {"see http://x//y", "see http://x"},
      {"file:///x", "file:///x"},
      {"a://// b", "a://"},
      {"x:\\\\y ://z", "x:\\\\y ://z"},
  };
  for (std::size_t width = 0; width <= 40; ++width) {
    for (const auto& [written, text] : cases) {
      const std::string padding(width, 'p');
      std::string source = "0 | ";
      source.append(padding).append(written).append("\n");
      const Scan scan = scanInBlocks(source, source.size());
      ASSERT_EQ(scan.outcome, "scanned 2") << source;
      EXPECT_EQ(scan.taken.at(0).text, padding + text)
          << testing::PrintToString(source);
    }
  }
}

TEST(SourceScannerTest, StopsWhenTheSinkRefusesAText) {
  Recorder recorder;
  recorder.refuseAt = 2;
  SourceScanner scanner(&recorder, 100);
  EXPECT_FALSE(scanner.feed("0 | a\n1 | b\n2 | c\n"));
  EXPECT_FALSE(scanner.feed("3 | d\n"));
  EXPECT_EQ(outcome(scanner.finish()), "stopped");
  EXPECT_EQ(recorder.taken.size(), 2u);
}

// A source of fixed bytes that may fail to read or claim to have changed.
class FakeBlocks : public SourceBlocks {
 public:
  explicit FakeBlocks(std::string bytes) : bytes_(std::move(bytes)) {}

  std::uint64_t size() const override { return bytes_.size(); }
  std::optional<std::size_t> read(std::span<char> into) override {
    if (readsLeft_-- == 0) return std::nullopt;
    // Short reads, as a file system may give them.
    const std::size_t count =
        std::min({into.size(), bytes_.size() - at_, std::size_t{5}});
    std::copy_n(bytes_.data() + at_, count, into.data());
    at_ += count;
    return count;
  }
  bool unchanged() override { return unchanged_; }

  int readsLeft_ = 1000;
  bool unchanged_ = true;

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

TEST(ScanSourceTest, ShortReadsAndSmallBlocksScanAsTheWholeSource) {
  FakeBlocks source("Charset | 1\r\n1 | b\r\n0 | a // c\r\n");
  Recorder recorder;
  EXPECT_EQ(outcome(scanSource(&source, &recorder, inBlocksOf(3))),
            "scanned 3");
  EXPECT_EQ(
      recorder.taken,
      (std::vector<Taken>{{0, "1", 10, 1}, {2, "b", 17, 2}, {1, "a", 24, 3}}));
}

TEST(ScanSourceTest, ASourceThatFailsOrChangesIsUnreadableWhateverItHolds) {
  Recorder recorder;
  FakeBlocks failing("0 | a\n1 | b\n");
  failing.readsLeft_ = 2;
  EXPECT_EQ(outcome(scanSource(&failing, &recorder, inBlocksOf(4))),
            "unreadable");

  FakeBlocks changed("0 | a\n1 | b\n");
  changed.unchanged_ = false;
  EXPECT_EQ(outcome(scanSource(&changed, &recorder)), "unreadable");

  FakeBlocks changedWithFault("0 | a\n0 | b\n");
  changedWithFault.unchanged_ = false;
  EXPECT_EQ(outcome(scanSource(&changedWithFault, &recorder)), "unreadable");
}

}  // namespace
}  // namespace parlavox
