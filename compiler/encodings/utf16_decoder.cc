#include "compiler/encodings/utf16_decoder.h"

#include <cstdint>
#include <cstring>

#include "compiler/encodings/messages.h"
#include "compiler/encodings/utf16.h"

namespace parlavox {

namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// Of four UTF-16 units read as one little-endian word: the bits that are
// set unless every unit is ASCII.
constexpr std::uint64_t kNotAsciiLe = 0xFF80FF80FF80FF80;
constexpr std::uint64_t kNotAsciiBe = 0x80FF80FF80FF80FF;

// 0x7F in the high byte of each of those units.
constexpr std::uint64_t kHighBytesLe = 0x7F007F007F007F00;
constexpr std::uint64_t kHighBytesBe = 0x007F007F007F007F;

// Whether a byte of `word` is below `limit`, which is at most 0x80.
constexpr bool hasByteBelow(std::uint64_t word, unsigned char limit) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  return ((word - kOnes * limit) & ~word & (kOnes << 7)) != 0;
}

}  // namespace

char* Utf16Decoder::decode(std::string_view bytes, char* out) {
  if (fault_) return out;
  std::size_t at = 0;
  if (oddByte_ && !bytes.empty()) {
    const auto second = static_cast<unsigned char>(bytes[0]);
    const char32_t unit = bigEndian_ ? (char32_t{*oddByte_} << 8) | second
                                     : (char32_t{second} << 8) | *oddByte_;
    oddByte_.reset();
    out = take(unit, out);
    if (fault_) return out;
    at = 1;
  }
  // Held in locals: a write through `out` could change any member.
  std::uint64_t written = written_;
  bool plain = !high_ && !afterCr_;
  const int lowByte = bigEndian_ ? 8 : 0;
  for (; at + 1 < bytes.size(); at += 2) {
    // Four ASCII characters at once, none of them ending a line.
    while (plain && bytes.size() - at >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes.data() + at, sizeof word);
      // With the units' high bytes then set to 0x7F, no byte is below 0x0E
      // unless a unit is a control character that may end a line.
      if ((word & (bigEndian_ ? kNotAsciiBe : kNotAsciiLe)) != 0 ||
          hasByteBelow(word | (bigEndian_ ? kHighBytesBe : kHighBytesLe),
                       0x0E)) {
        break;
      }
      if (out != nullptr) {
        for (int unit = 0; unit < 4; ++unit) {
          *out++ = static_cast<char>(word >> (16 * unit + lowByte));
        }
      }
      written += 4;
      at += 8;
    }
    if (at + 1 >= bytes.size()) break;
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    const char32_t unit = bigEndian_ ? (char32_t{first} << 8) | second
                                     : (char32_t{second} << 8) | first;
    // Most units are a whole character that ends no line: written here.
    if (!plain || unit == '\r' || unit == '\n' ||
        (unit >= 0xD800 && unit < 0xE000)) {
      written_ = written;
      out = take(unit, out);
      if (fault_) return out;
      written = written_;
      plain = !high_ && !afterCr_;
    } else {
      written += utf8Length(unit);
      if (out != nullptr) out = putUtf8(out, unit);
    }
  }
  written_ = written;
  if (at < bytes.size()) {
    oddByte_ = static_cast<unsigned char>(bytes[at]);
  }
  return out;
}

char* Utf16Decoder::take(char32_t unit, char* out) {
  if (afterCr_) {
    afterCr_ = false;
    if (unit != '\n') ++line_;
  }
  if (high_) {
    const char32_t high = *high_;
    high_.reset();
    if (!isLowSurrogate(unit)) {
      faultAtLoneSurrogate(high, highLine_);
      return out;
    }
    const char32_t code = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
    return put(code, out);
  }
  if (isHighSurrogate(unit)) {
    high_ = unit;
    highLine_ = line_;
    return out;
  }
  if (isLowSurrogate(unit)) {
    faultAtLoneSurrogate(unit, line_);
    return out;
  }
  if (unit == '\n') ++line_;
  afterCr_ = unit == '\r';
  return put(unit, out);
}

char* Utf16Decoder::put(char32_t code, char* out) {
  written_ += utf8Length(code);
  return out == nullptr ? out : putUtf8(out, code);
}

void Utf16Decoder::finish() {
  if (fault_) return;
  if (high_) {
    faultAtLoneSurrogate(*high_, highLine_);
    return;
  }
  if (oddByte_) {
    // The line of the half unit: a CR before it ends a line of its own.
    fault_ = SourceFault{messages::halfUtf16Unit(), line_ + (afterCr_ ? 1 : 0)};
  }
}

void Utf16Decoder::faultAtLoneSurrogate(char32_t unit, std::size_t line) {
  fault_ = SourceFault{messages::loneSurrogate(unit), line};
}

}  // namespace parlavox
