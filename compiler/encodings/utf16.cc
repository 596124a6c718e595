#include "compiler/encodings/utf16.h"

namespace parlavox {

namespace {

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

// How many bytes a sequence that starts with `lead` has; 0 for a byte that
// cannot start one.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead < 0xE0) return 2;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xF0 && lead < 0xF5) return 4;
  return 0;
}

}  // namespace

void appendUtf8(std::string& out, char32_t code) {
  char bytes[4];
  out.append(bytes, putUtf8(bytes, code));
}

std::optional<std::u16string> utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  bool lastWasHighSurrogate = false;
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = sequenceLength(lead);
    if (length == 0 || at + length > text.size()) return std::nullopt;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms and code points past U+10FFFF are not UTF-8.
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF) return std::nullopt;
    // A pair written as two sequences would read back as one four-byte one.
    if (lastWasHighSurrogate && isLowSurrogate(code)) return std::nullopt;
    lastWasHighSurrogate = isHighSurrogate(code);
    if (code < 0x10000) {
      out += static_cast<char16_t>(code);
    } else {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
    at += length;
  }
  return out;
}

std::string utf16Bytes(std::u16string_view units, bool bigEndian) {
  std::string bytes;
  bytes.reserve(2 * units.size());
  for (const char16_t unit : units) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char32_t unit = text[at];
    if (isHighSurrogate(unit) && at + 1 < text.size() &&
        isLowSurrogate(text[at + 1])) {
      appendUtf8(out,
                 0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00));
      ++at;
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

std::size_t completeUtf8Length(std::string_view text) {
  // A sequence is at most four bytes: look back no further than three.
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = sequenceLength(byte);
    return length > back ? text.size() - back : text.size();
  }
  return text.size();
}

}  // namespace parlavox
