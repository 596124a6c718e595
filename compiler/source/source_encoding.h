// Deciding, from a language source's bytes alone, which encoding they are
// in, and making them ready for the parser: the byte-order mark dropped,
// UTF-16 decoded to UTF-8, and under a double-byte code page a copy to scan
// in which no second byte of a character reads as "\", "^" or "|". The
// parser then only ever meets ASCII marks at character boundaries. No file
// access.

#ifndef PARLAVOX_COMPILER_SOURCE_ENCODING_H_
#define PARLAVOX_COMPILER_SOURCE_ENCODING_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/encodings/code_pages.h"
#include "compiler/files/file_results.h"
#include "compiler/format/language_source.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// The encoding that a byte-order mark at the start of `bytes` names, if
// any.
std::optional<SourceEncoding> encodingByMark(std::string_view bytes);

// The number of bytes of `mark`.
std::size_t byteOrderMarkSize(ByteOrderMark mark);

// How many bytes from the start of a source unmarkedUtf16 looks at.
constexpr std::size_t kUnmarkedUtf16Probe = 256;

// UTF-16 LE or BE when `bytes`, a source without a byte-order mark, look
// like UTF-16 saved without one: its first character is ASCII with a NUL
// beside it, and so are at least half of the characters in the first
// kUnmarkedUtf16Probe bytes. A language source starts with ASCII (a line
// number, "Charset", a comment), and no 8-bit or UTF-8 one holds NULs at
// every other byte.
std::optional<SourceEncoding> unmarkedUtf16(std::string_view bytes);

// The fault of a source that unmarkedUtf16 takes for UTF-16 in `encoding`:
// it is not compiled, as a guess at its encoding could misread it.
SourceFault unmarkedUtf16Fault(SourceEncoding encoding);

// The encoding of `bytes`, a whole source: UTF-8 or UTF-16 by a byte-order
// mark; else UTF-8 when a byte is above 127 and all of it is well-formed
// UTF-8; else 8-bit (pure ASCII too).
SourceEncoding detectEncoding(std::string_view bytes);

// The value of the first "Charset | value" line of an 8-bit source, trimmed
// and without its comment; empty when there is none. Never fails: a source
// the parser refuses still gets the value it seems to have.
std::string_view findCharsetValue(std::string_view bytes);

// The code page whose Charset value is written as `text`; nullptr where it
// names none or none is known.
const CodePage* codePageNamed(std::string_view text);

// A copy of `bytes`, read in the double-byte `page`, in which every second
// byte of a character is a letter: same length, same offsets, and every
// ASCII mark left in it stands for itself.
FileText maskTrailBytes(const CodePage& page, std::string_view bytes);

// The same masking for a source read in blocks: a character may start at
// the end of one block and end in the next.
class TrailMask {
 public:
  explicit TrailMask(const CodePage& page);

  // Writes the masked copy of `block`, the next bytes of the source, to
  // `out`, which has room for as many bytes.
  void mask(std::string_view block, char* out);

 private:
  std::array<bool, 256> lead_{};
  bool trailNext_ = false;  // the last block ended with a lead byte
};

// `bytes` as the UTF-8 a message quotes: decoded in `page`, or in the
// fallback code page where it is nullptr; UTF-8 sources pass as they are.
std::string quotedText(SourceEncoding encoding, const CodePage* page,
                       std::string_view bytes);

// A source made ready for the parser.
struct PreparedSource {
  SourceEncoding encoding = SourceEncoding::kEightBit;
  ByteOrderMark mark = ByteOrderMark::kNone;
  // What the table keeps: the text without its mark, as UTF-8 for Unicode.
  FileText text;
  // Empty, or the copy of `text` the parser scans instead (double-byte).
  FileText scanned;
  // The code page that 8-bit texts are quoted in; nullptr for the fallback.
  const CodePage* quotePage = nullptr;
  // A UTF-16 source that is not well formed, or UTF-16 without a
  // byte-order mark; nothing else is set then.
  std::optional<SourceFault> fault;
};

// Decides the encoding of `bytes` and prepares them; throws std::bad_alloc
// when there is no room for the text the parser needs.
PreparedSource prepareSource(FileText bytes);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_ENCODING_H_
