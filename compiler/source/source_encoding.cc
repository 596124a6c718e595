#include "compiler/source/source_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "compiler/encodings/charsets.h"
#include "compiler/encodings/utf16_decoder.h"
#include "compiler/source/messages.h"

namespace parlavox {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// What stands in the scanned copy for a character's second byte: a letter,
// which no rule of the parser looks at.
constexpr char kNeutralByte = 'x';
// Second bytes start at 0x31 in every double-byte code page; a lead byte
// before anything lower is a character of its own, so that a broken
// character never swallows a line end.
constexpr unsigned char kLowestTrailByte = 0x31;

bool isBreak(char c) { return c == '\r' || c == '\n' || c == '^'; }

std::string_view trimSpaces(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// `bytes`, UTF-16 without its mark, as UTF-8 in `*out`; or the fault.
std::optional<SourceFault> decodeUtf16(std::string_view bytes, bool bigEndian,
                                       FileText* out) {
  // Once to find any fault and the length, then again into the text.
  Utf16Decoder check(bigEndian);
  check.decode(bytes, nullptr);
  check.finish();
  if (check.fault()) return check.fault();
  const auto length = static_cast<std::size_t>(check.written());
  *out = FileText::uninitialised(length);
  if (out->size() != length) throw std::bad_alloc();
  Utf16Decoder(bigEndian).decode(bytes, out->data());
  return std::nullopt;
}

// `text` without its first `count` bytes.
FileText withoutStart(const FileText& text, std::size_t count) {
  return FileText(text.view().substr(count));
}

}  // namespace

std::optional<SourceEncoding> encodingByMark(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark)) return SourceEncoding::kUtf8;
  if (bytes.starts_with(kUtf16LeMark)) return SourceEncoding::kUtf16Le;
  if (bytes.starts_with(kUtf16BeMark)) return SourceEncoding::kUtf16Be;
  return std::nullopt;
}

std::size_t byteOrderMarkSize(ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::kUtf8:
      return kUtf8Mark.size();
    case ByteOrderMark::kUtf16:
      return kUtf16LeMark.size();
    case ByteOrderMark::kNone:
      break;
  }
  return 0;
}

std::optional<SourceEncoding> unmarkedUtf16(std::string_view bytes) {
  const std::size_t units = std::min(bytes.size(), kUnmarkedUtf16Probe) / 2;
  if (units < 2) return std::nullopt;
  // Byte `ascii` of a unit holds an ASCII character, the other a NUL.
  const auto asciiUnits = [&](std::size_t ascii) {
    std::size_t count = 0;
    for (std::size_t unit = 0; unit < units; ++unit) {
      const auto low = static_cast<unsigned char>(bytes[2 * unit + ascii]);
      if (low != 0 && low < 0x80 && bytes[2 * unit + 1 - ascii] == 0) ++count;
    }
    return count;
  };
  for (const std::size_t ascii : {std::size_t{0}, std::size_t{1}}) {
    const auto first = static_cast<unsigned char>(bytes[ascii]);
    if (first == 0 || first >= 0x80 || bytes[1 - ascii] != 0) continue;
    if (asciiUnits(ascii) * 2 >= units) {
      return ascii == 0 ? SourceEncoding::kUtf16Le : SourceEncoding::kUtf16Be;
    }
  }
  return std::nullopt;
}

SourceFault unmarkedUtf16Fault(SourceEncoding encoding) {
  return {messages::unmarkedUtf16(encoding), 0};
}

SourceEncoding detectEncoding(std::string_view bytes) {
  if (const std::optional<SourceEncoding> marked = encodingByMark(bytes)) {
    return *marked;
  }
  return firstUtf8Sequence(bytes) ? SourceEncoding::kUtf8
                                  : SourceEncoding::kEightBit;
}

std::string_view findCharsetValue(std::string_view bytes) {
  constexpr std::string_view kCharset = "Charset";
  for (std::size_t at = bytes.find(kCharset); at != std::string_view::npos;
       at = bytes.find(kCharset, at + 1)) {
    // Only spaces may stand between the start of the line and the word.
    std::size_t before = at;
    while (before > 0 && bytes[before - 1] == ' ') --before;
    if (before > 0 && !isBreak(bytes[before - 1])) continue;
    std::size_t bar = at + kCharset.size();
    while (bar < bytes.size() && bytes[bar] == ' ') ++bar;
    if (bar == bytes.size() || bytes[bar] != '|') continue;
    std::size_t end = bar + 1;
    while (end < bytes.size() && !isBreak(bytes[end])) ++end;
    std::string_view value = bytes.substr(bar + 1, end - bar - 1);
    value = value.substr(0, value.find("//"));
    return trimSpaces(value);
  }
  return {};
}

const CodePage* codePageNamed(std::string_view text) {
  const Charset* charset = charsetNamed(text);
  return charset == nullptr ? nullptr : codePageOfCharset(charset->value);
}

TrailMask::TrailMask(const CodePage& page) {
  for (unsigned byte = 0x80; byte < 256; ++byte) {
    lead_[byte] = isLeadByte(page, static_cast<unsigned char>(byte));
  }
}

void TrailMask::mask(std::string_view block, char* out) {
  const std::size_t size = block.size();
  if (size == 0) return;
  std::memcpy(out, block.data(), size);
  std::size_t at = 0;
  if (trailNext_ && static_cast<unsigned char>(out[0]) >= kLowestTrailByte) {
    out[0] = kNeutralByte;
    at = 1;
  }
  trailNext_ = false;
  for (; at < size; ++at) {
    if (!lead_[static_cast<unsigned char>(out[at])]) continue;
    if (at + 1 == size) {
      trailNext_ = true;
    } else if (static_cast<unsigned char>(out[at + 1]) >= kLowestTrailByte) {
      out[++at] = kNeutralByte;
    }
  }
}

FileText maskTrailBytes(const CodePage& page, std::string_view bytes) {
  FileText copy = FileText::uninitialised(bytes.size());
  if (copy.size() != bytes.size()) throw std::bad_alloc();
  TrailMask(page).mask(bytes, copy.data());
  return copy;
}

std::string quotedText(SourceEncoding encoding, const CodePage* page,
                       std::string_view bytes) {
  if (isUnicode(encoding) || isAscii(bytes)) return std::string(bytes);
  return decodeToUtf8(page != nullptr ? *page : fallbackCodePage(), bytes);
}

PreparedSource prepareSource(FileText bytes) {
  PreparedSource prepared;
  if (!encodingByMark(bytes.view())) {
    if (const std::optional<SourceEncoding> utf16 =
            unmarkedUtf16(bytes.view())) {
      prepared.fault = unmarkedUtf16Fault(*utf16);
      return prepared;
    }
  }
  prepared.encoding = detectEncoding(bytes.view());
  switch (prepared.encoding) {
    case SourceEncoding::kUtf8:
      if (bytes.view().starts_with(kUtf8Mark)) {
        prepared.mark = ByteOrderMark::kUtf8;
        prepared.text = withoutStart(bytes, byteOrderMarkSize(prepared.mark));
      } else {
        prepared.text = std::move(bytes);
      }
      return prepared;
    case SourceEncoding::kUtf16Le:
    case SourceEncoding::kUtf16Be:
      prepared.mark = ByteOrderMark::kUtf16;
      prepared.fault = decodeUtf16(
          bytes.view().substr(kUtf16LeMark.size()),
          prepared.encoding == SourceEncoding::kUtf16Be, &prepared.text);
      return prepared;
    case SourceEncoding::kEightBit:
      break;
  }
  prepared.text = std::move(bytes);
  const std::string_view text = prepared.text.view();
  prepared.quotePage = codePageNamed(findCharsetValue(text));
  // Pure ASCII has no characters to split.
  if (prepared.quotePage != nullptr && prepared.quotePage->doubleByte &&
      !isAscii(text)) {
    prepared.scanned = maskTrailBytes(*prepared.quotePage, text);
  }
  return prepared;
}

}  // namespace parlavox
