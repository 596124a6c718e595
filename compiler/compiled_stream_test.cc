#include "compiler/format/compiled_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "compiler/format/language_source.h"

namespace parlavox {
namespace {

class StringOutput : public TextOutput {
 public:
  bool put(std::uint64_t /*slot*/, std::string_view text,
           std::size_t /*line*/) override {
    if (puts_++ == refuseAt) return false;
    forEachCompiledPiece(text,
                         [&](std::string_view piece) { written += piece; });
    return true;
  }

  std::string written;
  int refuseAt = -1;

 private:
  int puts_ = 0;
};

// Compiles `text` through the stream; "<fault: ...>" when it does not scan.
std::string streamed(std::string_view text, StringOutput* out = nullptr) {
  StringOutput own;
  if (out == nullptr) out = &own;
  CompiledStream stream(out);
  SourceScanner scanner(&stream, text.size());
  scanner.feed(text);
  const ScanResult scanned = scanner.finish();
  if (scanned.status == ScanStatus::kStopped) return "<stopped>";
  if (!scanned.ok()) return "<fault: " + scanned.fault.message + ">";
  if (!stream.finish(scanned.slotCount)) return "<stopped>";
  return out->written;
}

// The compiled file of the table parsed from `text`.
std::string tabled(std::string_view text) {
  ParseResult parsed = parseLanguageSource(text);
  if (!parsed.ok()) return "<fault: " + parsed.fault.message + ">";
  return joinEntries(*parsed.table) + "\r\n";
}

TEST(CompiledStreamTest, TextsInAnyOrderComeOutInSlotOrder) {
  EXPECT_EQ(streamed("Charset | 238\n0 | a\n1 | b:\\\\c\n"),
            "238\r\na\r\nb://c\r\n");
  EXPECT_EQ(streamed("2 | c\n1 | b\n0 | a\nCharset | 238\n"),
            "238\r\na\r\nb\r\nc\r\n");
  // Without a Charset line the first line is empty, once the end shows it.
  EXPECT_EQ(streamed("1 | b\n0 | a\n"), "\r\na\r\nb\r\n");
  EXPECT_EQ(streamed("0 | a\n2 | c\n"),
            "<fault: entry for line number 1 missing>");
}

TEST(CompiledStreamTest, ShuffledSourcesCompileAsTheirTable) {
  std::mt19937 random(17);
  for (int round = 0; round < 50; ++round) {
    const int count = 1 + static_cast<int>(random() % 400);
    std::vector<std::string> lines;
    for (int n = 0; n < count; ++n) {
      // Now and then a text larger than a chunk's share of packed texts.
      const std::size_t length = random() % 50 == 0 ? 200000 : random() % 40;
      lines.push_back(std::to_string(n) + " | " +
                      std::string(length, static_cast<char>('a' + n % 26)) +
                      "x\n");
    }
    lines.emplace_back("Charset | 204\n");
    // Mostly in order with local swaps, or shuffled throughout.
    if (round % 2 == 0) {
      for (std::size_t i = 1; i < lines.size(); i += 2) {
        if (random() % 3 == 0) std::swap(lines[i - 1], lines[i]);
      }
    } else {
      std::shuffle(lines.begin(), lines.end(), random);
    }
    std::string text;
    for (const std::string& line : lines) text += line;
    ASSERT_EQ(streamed(text), tabled(text)) << "round " << round;
  }
}

TEST(CompiledStreamTest, OutputThatRefusesATextStopsTheCompile) {
  StringOutput out;
  out.refuseAt = 2;
  EXPECT_EQ(streamed("Charset | 1\n0 | a\n1 | b\n2 | c\n", &out), "<stopped>");
  EXPECT_EQ(out.written, "1\r\na\r\n");

  // A text written from those kept early refuses at the end as well.
  StringOutput late;
  late.refuseAt = 1;
  EXPECT_EQ(streamed("1 | b\n0 | a\n", &late), "<stopped>");
}

TEST(EarlyTextsTest, HandsBackTheLowestSlotFirstWithItsTextAndLine) {
  EarlyTexts early;
  // Falling slots and rising ones mixed; a long line number and a text
  // longer than a chunk's share.
  const std::string large(200000, 'L');
  const std::vector<std::pair<std::uint64_t, std::string>> kept = {
      {9, "nine"}, {5, "five"}, {7, large}, {2, ""}, {8, "eight"}, {1, "one"}};
  for (const auto& [slot, text] : kept) {
    ASSERT_TRUE(early.keep(slot, text, slot * 1000000007ULL));
  }
  EXPECT_EQ(early.bytes(), 4 + 4 + large.size() + 0 + 5 + 3);
  std::string order;
  while (!early.empty()) {
    const std::uint64_t slot = early.lowestSlot();
    EXPECT_EQ(early.lowestLine(), slot * 1000000007ULL);
    const std::string_view text = early.lowestText();
    order += std::to_string(slot) + "=" + std::string(text.substr(0, 5)) + ",";
    early.dropLowest();
  }
  EXPECT_EQ(order, "1=one,2=,5=five,7=LLLLL,8=eight,9=nine,");
  EXPECT_EQ(early.bytes(), 0U);
  // Emptied, it keeps again from the start of its first chunk.
  ASSERT_TRUE(early.keep(3, "three", 3));
  EXPECT_EQ(early.lowestText(), "three");
}

TEST(CompiledStreamTest, EarlyTextsEmptiedAndFilledAgainKeepEveryByte) {
  // More than a chunk of texts in falling order waits for line number 0,
  // then all are written; then as many texts out of order fill the store,
  // emptied again and again, one of them larger than a chunk's share.
  constexpr int kFalling = 12000;
  std::vector<std::string> texts;
  for (int n = 0; n < 2 * kFalling; ++n) {
    const std::size_t length = n == kFalling + 7 ? 200000 : 60 + n % 90;
    std::string text = "t";
    text += std::to_string(n);
    text += '-';
    text += std::string(length, static_cast<char>('a' + n % 26));
    texts.push_back(std::move(text));
  }
  std::string source = "Charset | 238\n";
  for (int n = kFalling - 1; n >= 0; --n) {
    source += std::to_string(n) + " | " + texts[n] + "\n";
  }
  // Pairs swapped, and now and then a run of ten reversed.
  for (int n = kFalling; n < static_cast<int>(texts.size()); n += 10) {
    for (int k = 0; k < 10; ++k) {
      const int at = n % 30 == 0 ? n + 9 - k : n + (k ^ 1);
      source += std::to_string(at) + " | " + texts[at] + "\n";
    }
  }
  std::string expected = "238\r\n";
  for (const std::string& text : texts) expected += text + "\r\n";
  const std::string written = streamed(source);
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected);
  EXPECT_TRUE(written == tabled(source));
}

// `text` scanned into a stream that keeps at most `held` bytes of texts for
// a Charset line, and knows `charset` beforehand where it is set.
struct HeldScan {
  std::string written;
  ScanStatus status;
  std::optional<std::string> lateCharset;
};
HeldScan scannedHolding(std::string_view text, std::size_t held,
                        std::optional<std::string> charset = std::nullopt) {
  StringOutput out;
  CompiledStream stream(&out, std::move(charset), held);
  SourceScanner scanner(&stream, text.size());
  scanner.feed(text);
  ScanResult scanned = scanner.finish();
  if (scanned.ok() && !stream.finish(scanned.slotCount)) {
    scanned.status = ScanStatus::kStopped;
  }
  return {out.written, scanned.status, stream.lateCharset()};
}

TEST(CompiledStreamTest, TextsWaitingForACharsetLineAreWrittenOnceTheyGrow) {
  // Without a Charset line, the texts go out after an empty one as soon as
  // they take more than 8 bytes of memory, and the result is the same.
  const std::string_view none = "0 | aaaa\n1 | bbbb\n2 | cccc\n";
  EXPECT_EQ(scannedHolding(none, 8).written, tabled(none));
  EXPECT_EQ(scannedHolding(none, 8).written, "\r\naaaa\r\nbbbb\r\ncccc\r\n");

  // A Charset line after that stops the scan and tells its value; read
  // again knowing it, the source compiles as its table.
  const std::string_view late = "0 | aaaa\n1 | bbbb\n2 | cccc\nCharset | 238\n";
  const HeldScan first = scannedHolding(late, 8);
  EXPECT_EQ(first.status, ScanStatus::kStopped);
  EXPECT_EQ(first.lateCharset, "238");
  const HeldScan again = scannedHolding(late, 8, first.lateCharset);
  EXPECT_EQ(again.status, ScanStatus::kScanned);
  EXPECT_EQ(again.written, tabled(late));
  EXPECT_EQ(again.written, "238\r\naaaa\r\nbbbb\r\ncccc\r\n");

  // Below the limit nothing changes: the texts wait for the late line.
  EXPECT_EQ(scannedHolding(late, 100).written, tabled(late));
  // Texts out of order are kept however large, as their turn has not come.
  const std::string_view reversed = "2 | cccc\n1 | bbbb\n0 | aaaa\n";
  EXPECT_EQ(scannedHolding(reversed, 1).written, tabled(reversed));

  // Each text kept costs more than its bytes: a hundred one-byte texts
  // take more than 1000 bytes of memory, and so are not waited for.
  std::string tiny;
  for (int n = 0; n < 100; ++n) tiny += std::to_string(n) + " | x\n";
  tiny += "Charset | 238\n";
  EXPECT_EQ(scannedHolding(tiny, 1000).lateCharset, "238");
  EXPECT_EQ(scannedHolding(tiny, 4000).status, ScanStatus::kScanned);
  EXPECT_EQ(scannedHolding(tiny, 4000).written, tabled(tiny));
}

}  // namespace
}  // namespace parlavox
