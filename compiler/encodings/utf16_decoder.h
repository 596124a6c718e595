// A UTF-16 language source decoded to UTF-8 as its bytes come, block by
// block: a unit, or a surrogate pair, may be split between two blocks. It
// finds the faults that keep such a source from being read, each on its
// physical line: an unpaired surrogate, and an odd number of bytes.

#ifndef PARLAVOX_COMPILER_UTF16_DECODER_H_
#define PARLAVOX_COMPILER_UTF16_DECODER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "compiler/encodings/source_fault.h"

namespace parlavox {

class Utf16Decoder {
 public:
  // A decoder of units in big-endian byte order, or else little-endian.
  explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

  // The most UTF-8 bytes that decode() writes for `size` bytes of UTF-16.
  static std::size_t mostUtf8For(std::size_t size) { return 2 * size + 4; }

  // Decodes the next `bytes`, writing UTF-8 at `out` when it is set (with
  // room for mostUtf8For their size); returns the end of what it wrote, or
  // `out`. Stops at the first fault, after which fault() holds it.
  char* decode(std::string_view bytes, char* out);

  // Ends the source: a surrogate or a unit it cuts short is a fault.
  void finish();

  // The first fault, if any.
  const std::optional<SourceFault>& fault() const { return fault_; }

  // The number of UTF-8 bytes decoded so far, also where none were written.
  std::uint64_t written() const { return written_; }

 private:
  char* take(char32_t unit, char* out);
  char* put(char32_t code, char* out);
  void faultAtLoneSurrogate(char32_t unit, std::size_t line);

  bool bigEndian_;
  std::optional<SourceFault> fault_;
  std::optional<unsigned char> oddByte_;  // the first byte of a split unit
  std::optional<char32_t> high_;          // a high surrogate awaiting its pair
  std::size_t highLine_ = 0;
  // The physical line of the next unit, as CR LF, lone CR and LF end lines:
  // a CR's line ends once the unit after it is known not to be LF.
  std::size_t line_ = 1;
  bool afterCr_ = false;
  std::uint64_t written_ = 0;
};

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_UTF16_DECODER_H_
