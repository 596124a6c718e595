#include "compiler/source/encoding_check.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "compiler/encodings/code_pages.h"

namespace parlavox {

namespace {

using Kind = EncodingFinding::Kind;

constexpr unsigned char kControl = 1;
constexpr unsigned char kUndefined = 2;

constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x80 * kEveryByte;

constexpr bool isControl(unsigned char byte) {
  return byte < 0x20 && byte != '\t';
}

// Whether all eight bytes of `word` are printable ASCII, 0x20 to 0x7F: a
// byte below 0x20 sets its high bit in the subtraction (a borrow only
// reaches bytes above it), a byte from 0x80 has it already.
constexpr bool printableAscii(std::uint64_t word) {
  return (((word - 0x20 * kEveryByte) | word) & kHighBits) == 0;
}

// The length of the well-formed UTF-8 sequence of two to four bytes at
// `at`, or 0 when there is none (overlong forms, surrogates and code points
// beyond U+10FFFF are not well formed).
std::size_t multiByteSequenceAt(std::string_view bytes, std::size_t at) {
  auto byteAt = [&](std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
  };
  const unsigned char lead = byteAt(at);
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  if (byteAt(at + 1) < low || byteAt(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byteAt(at + i) < 0x80 || byteAt(at + i) > 0xBF) return 0;
  }
  return length;
}

// One text's first byte of each class in `classes`.
struct TextBytes {
  unsigned char control = 0;
  unsigned char undefined = 0;
  unsigned char seen = 0;  // kControl and kUndefined where found
};

TextBytes scanText(std::string_view text,
                   const std::array<unsigned char, 256>& classes,
                   unsigned char wanted) {
  TextBytes found;
  std::size_t at = 0;
  while (at < text.size()) {
    // Eight plain bytes at a time; they belong to no class.
    if (text.size() - at >= sizeof(std::uint64_t)) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, sizeof word);
      if (printableAscii(word)) {
        at += sizeof word;
        continue;
      }
    }
    const auto byte = static_cast<unsigned char>(text[at++]);
    const unsigned char cls = classes[byte] & ~found.seen;
    if (cls == 0) continue;
    if ((cls & kControl) != 0) found.control = byte;
    if ((cls & kUndefined) != 0) found.undefined = byte;
    found.seen |= cls;
    if (found.seen == wanted) break;
  }
  return found;
}

// Adds a finding for each text of `table` holding a byte of a class in
// `wanted`, made by `finding`.
template <typename MakeFinding>
void findTextBytes(const EntryTable& table,
                   const std::array<unsigned char, 256>& classes,
                   unsigned char wanted, const MakeFinding& finding,
                   std::vector<EncodingFinding>* findings) {
  std::vector<std::size_t> slots;
  std::vector<TextBytes> found;
  for (std::size_t slot = 1; slot < table.size(); ++slot) {
    const TextBytes text = scanText(table[slot], classes, wanted);
    if (text.seen == 0) continue;
    slots.push_back(slot);
    found.push_back(text);
  }
  const std::vector<std::size_t> lines = table.physicalLines(slots);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if ((found[i].seen & kUndefined) != 0) {
      findings->push_back(
          finding(Kind::kUndefinedByte, lines[i], found[i].undefined));
    }
    if ((found[i].seen & kControl) != 0) {
      findings->push_back(
          finding(Kind::kControlCharacter, lines[i], found[i].control));
    }
  }
}

// The bytes skipAsciiRun looks at at once where SSE2 is there.
constexpr std::size_t kWide = 16;

// The first byte at or after `at` past the run of ASCII there (printable
// ASCII, 0x20 to 0x7F, with `printable`), looked at sixteen and eight bytes
// at a time; the bytes of a last short stretch are left to the caller.
std::size_t skipAsciiRun(std::string_view bytes, std::size_t at,
                         bool printable) {
  static_assert(std::endian::native == std::endian::little,
                "the first byte of a word is its lowest");
#if defined(__SSE2__)
  while (bytes.size() - at >= kWide) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
    // Bytes from 0x80 are negative as signed bytes, so below 0x20 as well.
    const __m128i outside =
        printable ? _mm_cmplt_epi8(block, _mm_set1_epi8(0x20)) : block;
    if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(outside))) {
      return at + static_cast<std::size_t>(std::countr_zero(mask));
    }
    at += kWide;
  }
#endif
  while (bytes.size() - at >= sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    // A borrow only reaches the bytes above the first one below 0x20.
    const std::uint64_t outside =
        (printable ? (word - 0x20 * kEveryByte) | word : word) & kHighBits;
    if (outside != 0) {
      return at + static_cast<std::size_t>(std::countr_zero(outside) / 8);
    }
    at += sizeof word;
  }
  return at;
}

// The first byte at or after `at`, the start of a character, past the
// stretch of ASCII and well-formed two-byte sequences there (U+0080 to
// U+07FF, most letters beyond ASCII), looked at sixteen bytes at a time
// where SSE2 is there. It ends at the character that is anything else, or
// at a last stretch shorter than sixteen bytes.
std::size_t skipAsciiAndPairs(std::string_view bytes, std::size_t at) {
#if defined(__SSE2__)
  while (bytes.size() - at >= kWide) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
    const auto high = static_cast<unsigned>(_mm_movemask_epi8(block));
    if (high == 0) {
      at += kWide;
      continue;
    }
    // As signed bytes, the leads 0xC2 to 0xDF are -62 to -33, the
    // continuations 0x80 to 0xBF are -128 to -65.
    const auto leads = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(-63)),
                      _mm_cmplt_epi8(block, _mm_set1_epi8(-32)))));
    const auto continuations = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmplt_epi8(block, _mm_set1_epi8(-64))));
    // Every byte beyond ASCII a lead or a continuation, each continuation
    // right after a lead and each lead before one; a lead in the last byte
    // is looked at again with the next sixteen.
    constexpr unsigned kLast = 1u << (kWide - 1);
    const unsigned wrong = (high & ~(leads | continuations)) |
                           (continuations ^ ((leads << 1) & 0xFFFFu));
    if (wrong != 0) {
      // The character that holds the first wrong byte: a lead before it
      // starts it.
      const auto first = static_cast<unsigned>(std::countr_zero(wrong));
      const bool afterLead = first > 0 && ((leads >> (first - 1)) & 1u) != 0;
      return at + first - (afterLead ? 1 : 0);
    }
    at += (leads & kLast) != 0 ? kWide - 1 : kWide;
  }
#else
  static_cast<void>(bytes);
#endif
  return at;
}

// Which bytes above 0x7F a check of texts finds.
enum class HighBytes {
  kNone,
  kFew,  // the few it is given
  kAll,
};

// The first byte of `text` from `at` that a check may find: one below 0x20,
// or one above 0x7F as `kHigh` says, `few` being the few. Or a byte close
// before it: the bytes are looked at sixteen at a time where SSE2 is there,
// the last sixteen overlapping those before, else eight at a time, above
// 0x7F all; the text's size when there is none.
template <HighBytes kHigh>
std::size_t nextPossiblyFound(std::string_view text, std::size_t at,
                              std::string_view few) {
#if defined(__SSE2__)
  const auto possible = [&](std::size_t from) {
    const __m128i block =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    // Bytes from 0x80 are negative as signed bytes, so below 0x20 as well.
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmplt_epi8(block, _mm_set1_epi8(0x20))));
    if constexpr (kHigh != HighBytes::kAll) {
      mask &= ~static_cast<unsigned>(_mm_movemask_epi8(block));
    }
    if constexpr (kHigh == HighBytes::kFew) {
      for (const char c : few) {
        mask |= static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
      }
    }
    return mask;
  };
  if (text.size() >= kWide) {
    for (; text.size() - at >= kWide; at += kWide) {
      if (const unsigned mask = possible(at)) {
        return at + static_cast<std::size_t>(std::countr_zero(mask));
      }
    }
    if (at == text.size()) return at;
    // The bytes before `at` were looked at already.
    const std::size_t last = text.size() - kWide;
    const unsigned mask = possible(last) & (~0u << (at - last));
    return mask == 0 ? text.size()
                     : last + static_cast<std::size_t>(std::countr_zero(mask));
  }
#else
  static_cast<void>(few);
#endif
  const std::uint64_t highBits = kHigh == HighBytes::kNone ? 0 : kHighBits;
  for (; text.size() - at >= sizeof(std::uint64_t);
       at += sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, sizeof word);
    if ((((word - 0x20 * kEveryByte) & ~word) | (word & highBits)) &
        kHighBits) {
      return at;
    }
  }
  return at;
}

// Hands `see` the offset of each byte of `text` that nextPossiblyFound
// finds, in order, until it returns false.
template <HighBytes kHigh, typename See>
void forEachPossiblyFound(std::string_view text, std::string_view few,
                          const See& see) {
  for (std::size_t at = 0;
       (at = nextPossiblyFound<kHigh>(text, at, few)) < text.size(); ++at) {
    if (!see(at)) return;
  }
}

// The length of the sequence that `lead` starts, 2 to 4; 0 for a byte that
// starts none.
std::size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// What of a text matters before its character set is known: its first
// control byte, and its bytes above 0x7F, each once, in order.
struct TextTrace {
  bool hasControl = false;
  unsigned char control = 0;
  std::string highBytes;
};

TextTrace traceText(std::string_view text) {
  TextTrace trace;
  std::array<bool, 0x80> seen{};
  std::size_t at = 0;
  while (at < text.size()) {
    at = skipAsciiRun(text, at, true);
    if (at == text.size()) break;
    const char c = text[at++];
    const auto byte = static_cast<unsigned char>(c);
    if (isControl(byte) && !trace.hasControl) {
      trace.hasControl = true;
      trace.control = byte;
    }
    if (byte >= 0x80 && !seen[byte - 0x80]) {
      seen[byte - 0x80] = true;
      trace.highBytes += c;
    }
  }
  return trace;
}

// Orders findings as the check reports them: by line, then by kind. "^"
// puts two texts on one physical line; the line gets one of each kind.
void orderFindings(std::vector<EncodingFinding>* findings) {
  std::stable_sort(findings->begin(), findings->end(),
                   [](const EncodingFinding& a, const EncodingFinding& b) {
                     return a.physicalLine != b.physicalLine
                                ? a.physicalLine < b.physicalLine
                                : a.kind < b.kind;
                   });
  findings->erase(
      std::unique(findings->begin(), findings->end(),
                  [](const EncodingFinding& a, const EncodingFinding& b) {
                    return a.physicalLine == b.physicalLine && a.kind == b.kind;
                  }),
      findings->end());
}

// Whether UTF-8 in a file means a mistake for `charset`.
bool readsBytesAsCharacters(const Charset* charset) {
  return charset != nullptr &&
         (charset->reading == Charset::Reading::kSingleByte ||
          charset->reading == Charset::Reading::kSystemDefault);
}

// A number of up to 64 bits, seven bits to a byte, put after `out`.
void appendNumber(std::string* out, std::uint64_t number) {
  for (; number >= 0x80; number >>= 7) {
    out->push_back(static_cast<char>(0x80 | (number & 0x7F)));
  }
  out->push_back(static_cast<char>(number));
}

// The number that appendNumber put at `at`, which moves past it.
std::uint64_t takeNumber(std::string_view in, std::size_t* at) {
  std::uint64_t number = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in[(*at)++]);
    number |= std::uint64_t{byte & 0x7Fu} << shift;
    if (byte < 0x80) return number;
  }
}

}  // namespace

std::optional<std::size_t> firstUtf8Sequence(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::optional<std::size_t> first;
  std::size_t at = 0;
  while (at < size) {
    // Eight bytes at a time up to the next one above 127: texts beyond
    // ASCII have one every few bytes.
    if (size - at >= sizeof(std::uint64_t)) {
      std::uint64_t word = 0;
      std::memcpy(&word, data + at, sizeof word);
      const std::uint64_t high = word & kHighBits;
      if (high == 0) {
        at += sizeof word;
        continue;
      }
      if constexpr (std::endian::native == std::endian::little) {
        at += static_cast<std::size_t>(std::countr_zero(high) / 8);
      }
    }
    const unsigned char lead = data[at];
    if (lead < 0x80) {
      ++at;
      continue;
    }
    if (!first) first = at;
    // Two bytes, the most common sequence, without the general checks.
    if (lead >= 0xC2 && lead <= 0xDF && at + 1 < size &&
        (data[at + 1] & 0xC0) == 0x80) {
      at += 2;
      continue;
    }
    const std::size_t length = multiByteSequenceAt(bytes, at);
    if (length == 0) return std::nullopt;
    at += length;
  }
  return first;
}

bool isAscii(std::string_view bytes) {
  // Every byte is looked at, without a branch per word: the compiler turns
  // this into wide vector operations, faster than stopping early would be.
  std::uint64_t seen = 0;
  std::size_t at = 0;
  for (; at + sizeof seen <= bytes.size(); at += sizeof seen) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes.data() + at, sizeof word);
    seen |= word;
  }
  for (; at < bytes.size(); ++at) seen |= static_cast<unsigned char>(bytes[at]);
  return (seen & kHighBits) == 0;
}

std::optional<EncodingFinding> checkLanguageCharset(
    const Language& language, std::string_view charsetText, std::size_t line) {
  // A source without a Charset line is read as Charset 0.
  const Charset* charset =
      charsetText.empty() ? findCharset(0) : charsetNamed(charsetText);
  if (charsetShowsLanguage(charset, language)) return std::nullopt;
  return EncodingFinding{Kind::kLanguageCharset,
                         charsetText.empty() ? 0 : line,
                         charset,
                         std::string(charsetText),
                         0,
                         &language};
}

std::vector<EncodingFinding> checkEncoding(const EntryTable& table,
                                           TableText text,
                                           const Language* language) {
  std::vector<EncodingFinding> findings;
  const std::string_view source = table.source();
  const std::string_view charsetText = table.size() == 0 ? "" : table[0];

  // A source without a Charset line is read as Charset 0.
  const Charset* charset =
      charsetText.empty() ? findCharset(0) : charsetNamed(charsetText);
  if (charset == nullptr) {
    findings.push_back({Kind::kUnknownCharset, table.physicalLine(0), nullptr,
                        std::string(charsetText)});
  }
  if (language != nullptr) {
    if (auto found = checkLanguageCharset(*language, charsetText,
                                          table.physicalLine(0))) {
      findings.push_back(std::move(*found));
    }
  }
  auto finding = [&](Kind kind, std::size_t line, unsigned char byte) {
    return EncodingFinding{kind, line, charset, std::string(charsetText), byte};
  };

  bool utf8 = text == TableText::kConverted;
  if (charset != nullptr && text != TableText::kBytes && !utf8 &&
      (charset->reading == Charset::Reading::kSingleByte ||
       charset->reading == Charset::Reading::kSystemDefault)) {
    if (const std::optional<std::size_t> at = firstUtf8Sequence(source)) {
      utf8 = true;
      findings.push_back(
          finding(Kind::kUtf8Text, physicalLineAt(source, *at), 0));
    }
  }

  // An 8-bit file that was meant as UTF-8.
  if (!utf8 && text != TableText::kUtf8AsRead &&
      readsBytesAsCharacters(charset)) {
    const Utf8Tally tally = tallyUtf8(source);
    if (tally.mostlyUtf8()) {
      utf8 = true;
      findings.push_back(finding(Kind::kUtf8ButForBytes,
                                 physicalLineAt(source, *tally.firstStray()),
                                 tally.firstStrayByte()));
    }
  }

  unsigned char wanted = kControl;
  std::array<unsigned char, 256> classes{};
  for (unsigned byte = 0; byte < 0x20; ++byte) {
    if (isControl(static_cast<unsigned char>(byte))) classes[byte] = kControl;
  }
  // Undefined bytes mean nothing in a UTF-8 file: its bytes were never
  // meant as the code page's.
  if (!utf8 && charset != nullptr && !charset->undefinedBytes.empty()) {
    wanted |= kUndefined;
    for (char c : charset->undefinedBytes) {
      classes[static_cast<unsigned char>(c)] = kUndefined;
    }
  }
  findTextBytes(table, classes, wanted, finding, &findings);

  std::stable_sort(findings.begin(), findings.end(),
                   [](const EncodingFinding& a, const EncodingFinding& b) {
                     return a.physicalLine != b.physicalLine
                                ? a.physicalLine < b.physicalLine
                                : a.kind < b.kind;
                   });
  // "^" puts two texts on one physical line; the line gets one of each.
  findings.erase(
      std::unique(findings.begin(), findings.end(),
                  [](const EncodingFinding& a, const EncodingFinding& b) {
                    return a.physicalLine == b.physicalLine && a.kind == b.kind;
                  }),
      findings.end());
  return findings;
}

void Utf8Watch::observe(std::string_view bytes) {
  const std::uint64_t base = observed_;
  observed_ += bytes.size();
  if (!maybeUtf8_) return;
  std::size_t at = 0;
  if (!carry_.empty()) {
    // A sequence that the last block began.
    const std::size_t length =
        sequenceLength(static_cast<unsigned char>(carry_.front()));
    at = std::min(length - carry_.size(), bytes.size());
    carry_.append(bytes.substr(0, at));
    if (carry_.size() < length) return;
    maybeUtf8_ = multiByteSequenceAt(carry_, 0) != 0;
    carry_.clear();
  }
  while (maybeUtf8_ && at < bytes.size()) {
    // Once the first sequence is known, letters of two bytes are passed
    // over sixteen bytes at a time with the ASCII between them.
    at = firstSequence_ ? skipAsciiAndPairs(bytes, at)
                        : skipAsciiRun(bytes, at, false);
    if (at == bytes.size()) break;
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    // Most letters beyond ASCII take two bytes.
    if (lead >= 0xC2 && lead <= 0xDF && bytes.size() - at >= 2 &&
        (static_cast<unsigned char>(bytes[at + 1]) & 0xC0) == 0x80) {
      if (!firstSequence_) firstSequence_ = base + at;
      at += 2;
      continue;
    }
    const std::size_t length = sequenceLength(lead);
    if (!firstSequence_) firstSequence_ = base + at;
    if (length != 0 && bytes.size() - at < length) {
      carry_.assign(bytes.substr(at));  // the next block completes it
      return;
    }
    maybeUtf8_ = length != 0 && multiByteSequenceAt(bytes, at) == length;
    at += length;
  }
}

std::optional<std::uint64_t> Utf8Watch::firstSequence() const {
  if (!maybeUtf8_ || !carry_.empty()) return std::nullopt;
  return firstSequence_;
}

void Utf8Tally::observe(std::string_view bytes) {
  const std::uint64_t base = observed_;
  observed_ += bytes.size();
  std::size_t at = 0;
  if (!carry_.empty()) {
    // The sequence the last bytes began, with enough of these to end it.
    const std::size_t held = carry_.size();
    const std::string head =
        carry_ +
        std::string(bytes.substr(0, std::min<std::size_t>(bytes.size(), 3)));
    const std::size_t stop = count(head, 0, held, base - held, false);
    if (stop < held) {
      carry_ = head.substr(stop);  // still too few bytes to end it
      return;
    }
    carry_.clear();
    at = stop - held;
  }
  carry_.assign(bytes.substr(count(bytes, at, bytes.size(), base, false)));
}

void Utf8Tally::finish() {
  if (carry_.empty()) return;
  count(carry_, 0, carry_.size(), observed_ - carry_.size(), true);
  carry_.clear();
}

std::size_t Utf8Tally::count(std::string_view bytes, std::size_t at,
                             std::size_t end, std::uint64_t base, bool last) {
  while (at < end) {
    at = skipAsciiRun(bytes, at, false);
    if (at >= end) break;
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = sequenceLength(lead);
    if (length != 0 && bytes.size() - at < length && !last) return at;
    if (length != 0 && multiByteSequenceAt(bytes, at) == length) {
      ++sequences_;
      at += length;
    } else {
      stray(base + at, lead);
      ++at;
    }
  }
  return at;
}

void Utf8Tally::stray(std::uint64_t offset, unsigned char byte) {
  if (strays_++ == 0) {
    firstStray_ = offset;
    firstStrayByte_ = byte;
  }
}

// A file is taken for UTF-8 with a few bytes pasted from an 8-bit text when
// it holds a well-formed multi-byte sequence, and at least four of them for
// each byte that belongs to none. Real 8-bit text has a sequence only where
// a capital with a diacritic meets a symbol or a small letter such as «ł»
// («ÓŁ» in Windows-1250, «ß“» in Windows-1252), and far more bytes beyond
// ASCII that form none: every «ä», «ó» or «ż» is one.
bool Utf8Tally::mostlyUtf8() const {
  constexpr std::uint64_t kSequencesPerStray = 4;
  return strays_ > 0 && sequences_ >= kSequencesPerStray * strays_;
}

Utf8Tally tallyUtf8(std::string_view bytes) {
  Utf8Tally tally;
  tally.observe(bytes);
  tally.finish();
  return tally;
}

bool EncodingWatch::take(std::size_t slot, std::string_view text,
                         std::uint64_t /*offset*/, std::size_t line) {
  if (slot == 0) {
    charsetText_ = std::string(text);
    charsetLine_ = line;
    expectCharset(text);
    return true;
  }
  if (charsetDecided_) {
    checkDecided(slot, line, text);
    return true;
  }
  TextTrace trace = traceText(text);
  if (trace.hasControl) {
    found_.push_back({Kind::kControlCharacter, line, slot, trace.control});
  }
  if (trace.highBytes.empty()) return true;
  if (charsetDecided_) {
    checkUndefined(slot, line, trace.highBytes);
  } else {
    appendNumber(&early_, slot);
    appendNumber(&early_, line);
    // Each byte above 0x7F once: 128 at most.
    early_.push_back(static_cast<char>(trace.highBytes.size()));
    early_ += trace.highBytes;
  }
  return true;
}

void EncodingWatch::expectCharset(std::string_view text) {
  charset_ = charsetNamed(text);
  if (unicode_ && charset_ != nullptr &&
      codePageOfCharset(charset_->value) != nullptr) {
    bytesMatter_.store(false, std::memory_order_relaxed);
  }
  checkEarly();
}

void EncodingWatch::takeCharsetAsNone() {
  charset_ = findCharset(0);
  checkEarly();
}

void EncodingWatch::checkEarly() {
  for (std::size_t at = 0; at < early_.size();) {
    const std::uint64_t slot = takeNumber(early_, &at);
    const std::uint64_t line = takeNumber(early_, &at);
    const auto count = static_cast<unsigned char>(early_[at++]);
    checkUndefined(static_cast<std::size_t>(slot),
                   static_cast<std::size_t>(line),
                   std::string_view(early_).substr(at, count));
    at += count;
  }
  // Their memory goes back too: a source may keep many before its line.
  std::string().swap(early_);
  charsetDecided_ = true;
  // Converted texts are no code page's bytes: finish() passes over the
  // undefined bytes of a source that has a Charset line to convert by.
  finds_.fill(0);
  undefinedMatter_ = false;
  fewUndefined_.clear();
  for (unsigned byte = 0; byte < 0x20; ++byte) {
    if (isControl(static_cast<unsigned char>(byte))) {
      finds_[byte] = kControlFound;
    }
  }
  if (charset_ == nullptr ||
      (unicode_ && charsetText_ && codePageOfCharset(charset_->value))) {
    return;
  }
  for (char c : charset_->undefinedBytes) {
    finds_[static_cast<unsigned char>(c)] = kUndefinedFound;
    undefinedMatter_ = true;
  }
  // A few are looked for one by one, many as any byte above 0x7F.
  constexpr std::size_t kFew = 8;
  if (charset_->undefinedBytes.size() <= kFew) {
    fewUndefined_ = charset_->undefinedBytes;
  }
}

void EncodingWatch::checkDecided(std::size_t slot, std::size_t line,
                                 std::string_view text) {
  // What each byte is found for, where it is the first such in its text.
  unsigned wanted = kControlFound | kUndefinedFound;
  const auto see = [&](std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const unsigned found = finds_[byte] & wanted;
    if (found == 0) return true;
    found_.push_back({(found & kControlFound) != 0 ? Kind::kControlCharacter
                                                   : Kind::kUndefinedByte,
                      line, slot, byte});
    wanted &= ~found;
    return wanted != 0;
  };
  if (!undefinedMatter_) {
    forEachPossiblyFound<HighBytes::kNone>(text, {}, see);
  } else if (!fewUndefined_.empty()) {
    forEachPossiblyFound<HighBytes::kFew>(text, fewUndefined_, see);
  } else {
    forEachPossiblyFound<HighBytes::kAll>(text, {}, see);
  }
}

void EncodingWatch::checkUndefined(std::size_t slot, std::size_t line,
                                   std::string_view highBytes) {
  if (charset_ == nullptr) return;
  for (char c : highBytes) {
    if (charset_->undefinedBytes.find(c) != std::string_view::npos) {
      found_.push_back(
          {Kind::kUndefinedByte, line, slot, static_cast<unsigned char>(c)});
      return;
    }
  }
}

std::vector<EncodingFinding> EncodingWatch::finish(
    const std::function<std::size_t(std::uint64_t)>& lineAt) {
  // A source without a Charset line is read as Charset 0.
  if (!charsetText_) takeCharsetAsNone();
  const std::string charsetText = charsetText_.value_or("");
  std::vector<EncodingFinding> findings;
  if (charset_ == nullptr) {
    findings.push_back(
        {Kind::kUnknownCharset, charsetLine_, nullptr, charsetText});
  }
  if (language_ != nullptr) {
    if (auto found =
            checkLanguageCharset(*language_, charsetText, charsetLine_)) {
      findings.push_back(std::move(*found));
    }
  }
  // Converted texts are no code page's bytes, and say nothing of how the
  // file was saved.
  // A source without a Charset line is checked as Charset 0, but written
  // as read.
  const bool converted = unicode_ && charsetText_ && charset_ != nullptr &&
                         codePageOfCharset(charset_->value) != nullptr;
  const std::optional<std::uint64_t> firstSequence = utf8_.firstSequence();
  bool utf8 = converted || (readsBytesAsCharacters(charset_) && firstSequence);
  if (utf8 && !converted) {
    findings.push_back(
        {Kind::kUtf8Text, lineAt(*firstSequence), charset_, charsetText});
  }
  // An 8-bit file that was meant as UTF-8.
  if (!utf8 && !unicode_ && readsBytesAsCharacters(charset_)) {
    tally_.finish();
    if (tally_.mostlyUtf8()) {
      utf8 = true;
      findings.push_back({Kind::kUtf8ButForBytes, lineAt(*tally_.firstStray()),
                          charset_, charsetText, tally_.firstStrayByte()});
    }
  }
  // The table's check goes through the texts in slot order.
  std::sort(found_.begin(), found_.end(), [](const Found& a, const Found& b) {
    return a.slot < b.slot || (a.slot == b.slot && a.kind < b.kind);
  });
  for (const Found& found : found_) {
    // Undefined bytes mean nothing in a UTF-8 file.
    if (utf8 && found.kind == Kind::kUndefinedByte) continue;
    findings.push_back(
        {found.kind, found.line, charset_, charsetText, found.byte});
  }
  orderFindings(&findings);
  return findings;
}

ByteOrderMark byteOrderMarkOf(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return ByteOrderMark::kUtf8;
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    return ByteOrderMark::kUtf16;
  }
  return ByteOrderMark::kNone;
}

}  // namespace parlavox
