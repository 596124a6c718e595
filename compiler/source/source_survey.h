// The first of two readings of a language source that is not plain ASCII.
// How its texts are read depends on the whole file: it is UTF-8 only if
// every byte of it is, a UTF-16 source is refused for a fault anywhere, and
// the Charset line that names an 8-bit source's code page may come last.
// The survey reads the blocks once, keeping none of them, so that the
// second reading can write each text as soon as it is read.

#ifndef PARLAVOX_COMPILER_SOURCE_SURVEY_H_
#define PARLAVOX_COMPILER_SOURCE_SURVEY_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "compiler/encodings/code_pages.h"
#include "compiler/source/decoded_blocks.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_blocks.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// What the survey found: the same decisions that prepareSource makes from
// the whole text.
struct SourceSurvey {
  SourceEncoding encoding = SourceEncoding::kEightBit;
  ByteOrderMark mark = ByteOrderMark::kNone;
  // A UTF-16 source that is not well formed, or UTF-16 without a
  // byte-order mark; then nothing else counts.
  std::optional<SourceFault> fault;
  // 8-bit: the code page texts are quoted in; nullptr for the fallback.
  const CodePage* quotePage = nullptr;
  // 8-bit with bytes beyond ASCII: the double-byte code page its characters
  // are read in, else nullptr.
  const CodePage* characters = nullptr;
};

// Reads `source` to its end in blocks of `blockSize` bytes; nothing when it
// could not be read.
std::optional<SourceSurvey> surveySource(SourceBlocks* source,
                                         std::size_t blockSize);

// The second reading of a surveyed source: the bytes of its text, without
// the byte-order mark, and as UTF-8 when it is UTF-16.
class SurveyedText {
 public:
  // Reads `file`, rewound to its start, which outlives the reading.
  SurveyedText(FileBlocks* file, const SourceSurvey& survey);
  SurveyedText(const SurveyedText&) = delete;
  SurveyedText& operator=(const SurveyedText&) = delete;

  // Whether the file could be read again from its start.
  bool rewound() const { return rewound_; }

  // Its text.
  SourceBlocks* text() {
    return utf16_ ? static_cast<SourceBlocks*>(&decoded_) : &afterMark_;
  }

 private:
  bool rewound_;
  BlocksAfter afterMark_;
  Utf16Blocks decoded_;
  bool utf16_;
};

// The code page named by the first "Charset | value" line of an 8-bit
// source, found as its bytes come: the same as
// codePageNamed(findCharsetValue(bytes)) of the whole source.
class CharsetLineFinder {
 public:
  // Sees the next bytes of the source, in order.
  void observe(std::string_view bytes);

  // Whether the first Charset line was read: the rest changes nothing.
  bool done() const { return state_ == State::kDone; }

  // After the whole source: the code page its Charset line names, if any.
  const CodePage* finish();

 private:
  enum class State {
    kSeeking,     // for the word at the start of a line
    kAfterWord,   // spaces up to the "|"
    kValue,       // the value's leading spaces and digits
    kAfterValue,  // spaces after the digits
    kSlash,       // a "/" that may start the comment
    kDone,        // the first Charset line was read
  };

  // Reads `view` from `at` on in the states after the word; returns where
  // the search for the word goes on.
  std::size_t readLine(std::string_view view, std::size_t at);
  void endValue();

  State state_ = State::kSeeking;
  // Whether only spaces stand between the start of a line (or of the file)
  // and the next block.
  bool blockStartsLine_ = true;
  // How much of the word the last block ended with, at the start of a line.
  std::size_t partialWord_ = 0;
  // The value: its digits after leading zeros, up to one more than any
  // Charset has.
  bool digits_ = false;
  unsigned number_ = 0;
  std::size_t significant_ = 0;
  const CodePage* page_ = nullptr;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_SURVEY_H_
