#include "compiler/source/source_survey.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

#include "compiler/encodings/utf16_decoder.h"
#include "compiler/files/read_ahead.h"
#include "compiler/source/source_encoding.h"

namespace parlavox {

namespace {

constexpr std::string_view kWord = "Charset";

bool isBreak(char c) { return c == '\r' || c == '\n' || c == '^'; }

// Whether only spaces stand between the start of a line and byte `at` of
// `block`; `blockStartsLine` tells the same of the block's own start.
bool startsLine(std::string_view block, std::size_t at, bool blockStartsLine) {
  while (at > 0 && block[at - 1] == ' ') --at;
  return at == 0 ? blockStartsLine : isBreak(block[at - 1]);
}

// Reads the next bytes of `source` into `buffer` until it holds `wanted` or
// the source ends; how many it holds, or nothing when reading failed.
std::optional<std::size_t> readAtLeast(SourceBlocks* source, char* buffer,
                                       std::size_t size, std::size_t wanted) {
  std::size_t held = 0;
  while (held < wanted) {
    const std::optional<std::size_t> got =
        source->read(std::span<char>(buffer + held, size - held));
    if (!got) return std::nullopt;
    if (*got == 0) break;
    held += *got;
  }
  return held;
}

}  // namespace

void CharsetLineFinder::observe(std::string_view block) {
  std::size_t at = 0;
  if (state_ != State::kSeeking) {
    if (state_ == State::kDone) return;
    at = readLine(block, 0);
  } else if (partialWord_ > 0) {
    // A word begun at the end of what came before.
    const std::string_view rest = kWord.substr(partialWord_);
    const std::size_t compared = std::min(rest.size(), block.size());
    if (block.substr(0, compared) == rest.substr(0, compared)) {
      partialWord_ += compared;
      if (partialWord_ < kWord.size()) return;
      partialWord_ = 0;
      state_ = State::kAfterWord;
      at = readLine(block, compared);
    } else {
      partialWord_ = 0;
      blockStartsLine_ = false;
    }
  }
  while (state_ == State::kSeeking) {
    const std::size_t word = block.find(kWord, at);
    if (word == std::string_view::npos) break;
    at = word + kWord.size();
    if (!startsLine(block, word, blockStartsLine_)) continue;
    state_ = State::kAfterWord;
    at = readLine(block, at);
  }
  if (state_ != State::kSeeking) {
    blockStartsLine_ = false;
    return;
  }
  // The start of a word that the next block may complete.
  for (std::size_t length = std::min(kWord.size() - 1, block.size());
       length > 0; --length) {
    const std::size_t start = block.size() - length;
    if (block.substr(start) == kWord.substr(0, length) &&
        startsLine(block, start, blockStartsLine_)) {
      partialWord_ = length;
      blockStartsLine_ = false;
      return;
    }
  }
  blockStartsLine_ = startsLine(block, block.size(), blockStartsLine_);
}

std::size_t CharsetLineFinder::readLine(std::string_view block,
                                        std::size_t at) {
  for (; at < block.size() && state_ != State::kDone; ++at) {
    const char c = block[at];
    switch (state_) {
      case State::kAfterWord:
        if (c == '|') {
          state_ = State::kValue;
        } else if (c != ' ') {
          // Not the Charset line: the search goes on from this byte.
          state_ = State::kSeeking;
          return at;
        }
        break;
      case State::kValue:
      case State::kAfterValue:
        if (c >= '0' && c <= '9' && state_ == State::kValue) {
          digits_ = true;
          if (significant_ > 0 || c != '0') {
            number_ = number_ * 10 + static_cast<unsigned>(c - '0');
            // More digits than any Charset has name none.
            if (++significant_ > 3) state_ = State::kDone;
          }
        } else if (c == ' ') {
          if (digits_) state_ = State::kAfterValue;
        } else if (c == '/') {
          state_ = State::kSlash;
        } else if (isBreak(c)) {
          endValue();
        } else {
          state_ = State::kDone;  // a value that is no number names none
        }
        break;
      case State::kSlash:
        if (c == '/') {
          endValue();  // the comment starts here
        } else {
          state_ = State::kDone;
        }
        break;
      case State::kSeeking:
      case State::kDone:
        break;
    }
  }
  return at;
}

void CharsetLineFinder::endValue() {
  if (digits_) page_ = codePageNamed(std::to_string(number_));
  state_ = State::kDone;
}

const CodePage* CharsetLineFinder::finish() {
  // A value that runs to the end of the file ends there.
  if (state_ == State::kValue || state_ == State::kAfterValue) endValue();
  return page_;
}

SurveyedText::SurveyedText(FileBlocks* file, const SourceSurvey& survey)
    : rewound_(file->rewind()),
      afterMark_(file, byteOrderMarkSize(survey.mark)),
      decoded_(&afterMark_, survey.encoding == SourceEncoding::kUtf16Be),
      utf16_(survey.mark == ByteOrderMark::kUtf16) {}

namespace {

// What the first bytes of a source, `bytes`, decide.
SurveyStart surveyStart(std::string_view bytes) {
  SurveyStart decided;
  if (const std::optional<SourceEncoding> marked = encodingByMark(bytes)) {
    decided.survey.encoding = *marked;
    decided.survey.mark = byteOrderMarkOf(bytes);
    // A mark says it all of UTF-8; UTF-16 may still have a fault.
    decided.open = decided.survey.mark == ByteOrderMark::kUtf16;
  } else if (const std::optional<SourceEncoding> utf16 = unmarkedUtf16(bytes)) {
    decided.survey.fault = unmarkedUtf16Fault(*utf16);
    decided.open = false;
  }
  return decided;
}

// The survey of an 8-bit source whose first Charset line names `page`
// (nullptr for none); `ascii` when it has no byte beyond ASCII, and so no
// characters to split.
SourceSurvey eightBitSurvey(const CodePage* page, bool ascii) {
  SourceSurvey survey;
  survey.quotePage = page;
  if (page != nullptr && page->doubleByte && !ascii) survey.characters = page;
  return survey;
}

}  // namespace

std::optional<SurveyStart> surveyStartOf(FileBlocks* file) {
  char start[kUnmarkedUtf16Probe];
  const std::optional<std::size_t> got =
      readAtLeast(file, start, sizeof start, sizeof start);
  if (!got || !file->rewind()) return std::nullopt;
  return surveyStart(std::string_view(start, *got));
}

bool Utf8Guess::observe(std::string_view bytes) {
  if (disproved_) return false;
  if (bytes.empty()) {
    ended_ = true;
    // A sequence that the end of the file cuts off is no UTF-8.
    disproved_ = !utf8_.ascii() && !utf8_.firstSequence();
    return !disproved_;
  }
  utf8_.observe(bytes);
  charset_.observe(bytes);
  disproved_ = !utf8_.mayBeUtf8();
  return !disproved_;
}

std::optional<SourceSurvey> Utf8Guess::eightBit() {
  if (!disproved_ || (!charset_.done() && !ended_)) return std::nullopt;
  // Some byte beyond ASCII disproved UTF-8.
  return eightBitSurvey(charset_.finish(), false);
}

std::optional<SourceSurvey> surveySource(SourceBlocks* source,
                                         std::size_t blockSize) {
  // The first block holds any byte-order mark, and all that unmarkedUtf16
  // looks at, however small the blocks.
  blockSize = std::max(blockSize, kUnmarkedUtf16Probe);
  const std::unique_ptr<char[]> buffer(new (std::nothrow) char[blockSize]);
  if (buffer == nullptr) return std::nullopt;
  std::optional<std::size_t> got =
      readAtLeast(source, buffer.get(), blockSize, kUnmarkedUtf16Probe);
  if (!got) return std::nullopt;
  std::string_view block(buffer.get(), *got);

  const SurveyStart start = surveyStart(block);
  SourceSurvey survey = start.survey;
  if (!start.open) return survey;
  // Hands `see` the blocks from the first one on, that one from `skip`,
  // the next read while one is seen, until it has seen enough (false);
  // false when they could not be read.
  const auto forEachBlock = [&](std::size_t skip, const auto& see) {
    if (!see(block.substr(skip))) return true;
    try {
      ReadAhead ahead(source, blockSize, source->size() > blockSize);
      for (;;) {
        const std::optional<std::string_view> next = ahead.next();
        if (!next) return false;
        if (next->empty() || !see(*next)) return true;
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
  };
  if (survey.mark == ByteOrderMark::kUtf16) {
    Utf16Decoder decoder(survey.encoding == SourceEncoding::kUtf16Be);
    if (!forEachBlock(byteOrderMarkSize(survey.mark),
                      [&](std::string_view bytes) {
                        decoder.decode(bytes, nullptr);
                        return !decoder.fault();
                      })) {
      return std::nullopt;
    }
    decoder.finish();
    survey.fault = decoder.fault();
    return survey;
  }
  Utf8Watch utf8;
  CharsetLineFinder charset;
  // Once the bytes cannot be UTF-8 and the Charset line was read, the rest
  // of an 8-bit source changes nothing.
  if (!forEachBlock(0, [&](std::string_view bytes) {
        utf8.observe(bytes);
        charset.observe(bytes);
        return utf8.mayBeUtf8() || !charset.done();
      })) {
    return std::nullopt;
  }
  if (utf8.firstSequence()) {
    survey.encoding = SourceEncoding::kUtf8;
    return survey;
  }
  return eightBitSurvey(charset.finish(), utf8.ascii());
}

}  // namespace parlavox
