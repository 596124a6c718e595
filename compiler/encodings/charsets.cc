#include "compiler/encodings/charsets.h"

#include <algorithm>
#include <array>

namespace parlavox {

namespace {

using Reading = Charset::Reading;

// The undefined bytes come from the published Windows code page tables
// (cp874 and cp1250 to cp1258): every other byte of 0x80 to 0xFF has a
// character. 0xCA of Windows-1255, undefined in the oldest tables, is taken
// as defined because Windows maps it to HEBREW POINT HOLAM HASER FOR VAV;
// Windows-1256 defines all 256 bytes.
//
// Not checked byte by byte: 1 (default) and 255 (OEM), whose code page is
// the system's and not known here; 77 (Mac Roman), which defines every
// byte; 2 (symbol), whose bytes select glyphs and are never undefined; and
// the double-byte code pages 932, 936, 949, 950 and 1361, where a byte's
// meaning depends on the byte before it, so a byte on its own cannot be
// judged.
constexpr std::array<Charset, 19> kCharsets = {{
    {0, "Windows-1252", "ANSI, on a Western system", Reading::kSingleByte,
     "\x81\x8D\x8F\x90\x9D"},
    {1, "the system's ANSI code page", "default", Reading::kSystemDefault, ""},
    {2, "a symbol font", "symbol", Reading::kSymbolFont, ""},
    {77, "Mac Roman", "Mac", Reading::kSingleByte, ""},
    {128, "Windows-932", "Shift-JIS", Reading::kDoubleByte, ""},
    {129, "Windows-949", "Hangul", Reading::kDoubleByte, ""},
    {130, "Windows-1361", "Johab", Reading::kDoubleByte, ""},
    {134, "Windows-936", "GB2312", Reading::kDoubleByte, ""},
    {136, "Windows-950", "Big5", Reading::kDoubleByte, ""},
    {161, "Windows-1253", "Greek", Reading::kSingleByte,
     "\x81\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xAA\xD2\xFF"},
    {162, "Windows-1254", "Turkish", Reading::kSingleByte,
     "\x81\x8D\x8E\x8F\x90\x9D\x9E"},
    {163, "Windows-1258", "Vietnamese", Reading::kSingleByte,
     "\x81\x8A\x8D\x8E\x8F\x90\x9A\x9D\x9E"},
    {177, "Windows-1255", "Hebrew", Reading::kSingleByte,
     "\x81\x8A\x8C\x8D\x8E\x8F\x90\x9A\x9C\x9D\x9E\x9F\xD9\xDA\xDB\xDC\xDD"
     "\xDE\xDF\xFB\xFC\xFF"},
    {178, "Windows-1256", "Arabic", Reading::kSingleByte, ""},
    {186, "Windows-1257", "Baltic", Reading::kSingleByte,
     "\x81\x83\x88\x8A\x8C\x90\x98\x9A\x9C\x9F\xA1\xA5"},
    {204, "Windows-1251", "Cyrillic", Reading::kSingleByte, "\x98"},
    {222, "Windows-874", "Thai", Reading::kSingleByte,
     "\x81\x82\x83\x84\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x98\x99"
     "\x9A\x9B\x9C\x9D\x9E\x9F\xDB\xDC\xDD\xDE\xFC\xFD\xFE\xFF"},
    {238, "Windows-1250", "Central European", Reading::kSingleByte,
     "\x81\x83\x88\x90\x98"},
    {255, "the system's OEM code page", "OEM", Reading::kSystemDefault, ""},
}};

}  // namespace

const Charset* findCharset(unsigned value) {
  const auto* found = std::find_if(
      kCharsets.begin(), kCharsets.end(),
      [&](const Charset& charset) { return charset.value == value; });
  return found == kCharsets.end() ? nullptr : found;
}

const Charset* charsetNamed(std::string_view text) {
  // Three digits hold every number in the table; more, after leading
  // zeros, name none.
  constexpr std::size_t kMostDigits = 3;
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return nullptr;
  }
  text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
  if (text.size() > kMostDigits) return nullptr;
  unsigned value = 0;
  for (char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
  return findCharset(value);
}

}  // namespace parlavox
