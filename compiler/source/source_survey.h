// How a language source's bytes are read, decided from them. It depends on
// the whole file: it is UTF-8 only if every byte of it is, a UTF-16 source
// is refused for a fault anywhere, and the Charset line that names an 8-bit
// source's code page may come last. The start of a file decides most of it
// (a byte-order mark), and a guess decides the rest as the bytes come; the
// survey, which reads the blocks once, keeping none of them, decides where
// a reading failed before the file told enough.

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

// What the first bytes of a source decide: the byte-order mark and the
// encoding it names, or the fault of UTF-16 saved without one.
struct SurveyStart {
  SourceSurvey survey;
  // Whether the rest of the file can still change the decision: it has no
  // mark, or a UTF-16 one (a fault anywhere refuses it).
  bool open = true;
};

// The start of the opened `file`, read from its first byte: its first
// kUnmarkedUtf16Probe bytes, or all it has; nothing when it could not be
// read. The file is rewound after.
std::optional<SurveyStart> surveyStartOf(FileBlocks* file);

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

// The survey of a source without a byte-order mark made as its bytes come,
// for a reading that takes them for UTF-8 (ASCII is UTF-8, and every code
// page's): it stops that reading at the first bytes that cannot be UTF-8,
// and then says how the source is read instead, where the bytes seen so far
// tell it.
class Utf8Guess {
 public:
  // Sees the next bytes of the source, in order; false when they prove it
  // is no UTF-8 (at the end of the source, `bytes` is empty).
  bool observe(std::string_view bytes);

  // Whether some bytes proved the source no UTF-8.
  bool disproved() const { return disproved_; }

  // Whether a byte beyond ASCII was seen.
  bool beyondAscii() const { return !utf8_.ascii(); }

  // After a whole reading that nothing disproved: how the source was read.
  SourceEncoding encoding() const {
    return beyondAscii() ? SourceEncoding::kUtf8 : SourceEncoding::kEightBit;
  }

  // Once disproved: the survey of the 8-bit source, the same as
  // surveySource's, where the first Charset line was among the bytes seen;
  // nothing where it may still come.
  std::optional<SourceSurvey> eightBit();

 private:
  Utf8Watch utf8_;
  CharsetLineFinder charset_;
  bool disproved_ = false;
  bool ended_ = false;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_SURVEY_H_
