// The bytes of a compiled language file, made text by text in slot order:
// each text with every ":\\" in it written as "://" and CR LF after it. A
// Unicode source's texts are converted into the code page its Charset line
// names; an 8-bit source's are written as read, and under a double-byte
// code page only a ":\\" that starts a character is changed. The Charset
// text comes first and decides which.

#ifndef PARLAVOX_COMPILER_COMPILED_OUTPUT_H_
#define PARLAVOX_COMPILER_COMPILED_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/files/text_file.h"
#include "compiler/format/compiled_stream.h"
#include "compiler/format/source_scanner.h"
#include "compiler/source/source_file.h"

namespace parlavox {

class CompiledOutput : public TextOutput {
 public:
  // Writes into `writer` the texts of a source read in `encoding`.
  CompiledOutput(SourceEncoding encoding, FileWriter* writer)
      : unicode_(isUnicode(encoding)), writer_(writer) {}

  // Never refuses a text: after a character that has no place in the code
  // page nothing more is written, and the file is abandoned, but the source
  // is still read to its end for a fault, which the translator hears of
  // first.
  bool put(std::uint64_t slot, std::string_view text,
           std::size_t line) override;

  // Writes what still waits to be converted.
  void finish();

  // The first character, in slot order, that the code page has no place
  // for, as the fault of its text's line.
  const std::optional<SourceFault>& unmappable() const { return unmappable_; }

  // The slot of the text that holds that character.
  std::uint64_t unmappableSlot() const { return unmappableSlot_; }

 private:
  // Texts are converted many at a time, so that the cost of a conversion
  // call is not paid for each short one.
  static constexpr std::size_t kBatchSize = std::size_t{64} * 1024;

  struct PieceEnd {
    std::size_t end;  // in pending_
    std::uint64_t slot;
    std::size_t line;
  };

  void convert();

  const bool unicode_;
  FileWriter* writer_;
  // Set by the Charset text: the code page to convert into, or the
  // double-byte one whose characters an 8-bit source's texts are in.
  const CodePage* convertTo_ = nullptr;
  const CodePage* characters_ = nullptr;
  const Charset* charset_ = nullptr;
  std::string pending_;
  std::vector<PieceEnd> pieceEnds_;
  std::string encoded_;
  std::optional<SourceFault> unmappable_;
  std::uint64_t unmappableSlot_ = 0;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_COMPILED_OUTPUT_H_
