// The PO layer, compiler/po/: PO files read into language sources, and
// sources written as PO files. It stands above the operations, as the
// sources it makes are compiled, and may use them, every layer below them
// and the standard library.
//
// The language source a PO file stands for: its header's Charset, then
// each entry that is translated and not fuzzy as "N | text // comment".
// What a source cannot hold (a line break, "^", a comment "//", spaces at
// either end, a context that is no line number, plural forms, a line
// number twice) is a fault, never dropped or changed.

#ifndef PARLAVOX_COMPILER_PO_SOURCE_H_
#define PARLAVOX_COMPILER_PO_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "compiler/compile.h"
#include "compiler/encodings/code_pages.h"
#include "compiler/po/po_reader.h"

namespace parlavox {

// Where the entries stand in the source made of a PO file.
enum class PoLayout {
  // As a translator's file: the Charset line, then the entries in number
  // order, each line ended by CR LF.
  kNumberOrder,
  // Each on the physical line of its msgstr in the PO file, so that the
  // compile's faults and warnings name the PO file's lines.
  kPoLines,
};

struct PoWarning {
  std::size_t line;
  std::string message;
};

struct PoSource {
  // A failure names the PO file's line.
  CompileResult result = CompileResult::success();
  std::string text;     // UTF-8, without a byte-order mark
  std::string charset;  // the Charset value; empty for no Charset line
  std::vector<PoWarning> warnings;
  std::size_t strings = 0;  // the entries written as lines
  // Whether the text was put in order at the end (lines sorted, or a late
  // Charset line put first): else it grew at its end only, as it was read.
  bool reordered = false;
};

// The source of `catalog`. The Charset comes from the header's
// X-Parlavox-Charset (an empty value: no Charset line) or, where that field
// is missing, from the language its Language field names.
PoSource sourceFromPo(const PoCatalog& catalog, PoLayout layout);

// Makes the source of a PO file from what its reader hands on, as it is
// read: the same source as sourceFromPo of the file's catalog.
class PoSourceMaker : public PoVisitor {
 public:
  explicit PoSourceMaker(PoLayout layout) : layout_(layout) {}

  void header(const std::string& header, std::size_t line) override;
  void entry(const PoEntry& entry) override;
  void obsolete(std::size_t line) override;

  // Room for a source of about `bytes`, so that it grows without moving.
  void reserve(std::size_t bytes);

  // The source's text so far, and its Charset as far as known.
  const std::string& text() const { return source_.text; }
  const std::string& charset() const { return source_.charset; }

  // Takes on what `later` made of the rest of the file, read on its own
  // from the line after the `linesBefore` lines this one was handed, where
  // its source simply follows this one's: neither holds a fault, `later`
  // saw no header, and every line number rose throughout. False, and
  // nothing changed, where only one reading of the whole file could tell.
  bool takeOn(PoSourceMaker& later, std::size_t linesBefore);

  // The source of everything handed on; once, at the end of the file.
  PoSource finish();

 private:
  void fail(std::string message, std::size_t line);
  // Whether `number` stood on an earlier entry, whose line goes to *first.
  bool seenBefore(std::uint64_t number, std::size_t line, std::size_t* first);
  void appendLine(std::uint64_t number, std::string_view text);
  void putCharset();
  std::string charsetLine() const { return "Charset | " + source_.charset; }
  void moveTo(std::size_t line);

  const PoLayout layout_;
  PoSource source_;
  CompileResult entryFault_ = CompileResult::success();
  std::size_t headerLine_ = 0;
  bool charsetDue_ = false;  // the Charset line is still to be written
  // Every entry's line number and line, while they rise; past that, a map.
  std::vector<std::pair<std::uint64_t, std::size_t>> numbers_;
  std::unordered_map<std::uint64_t, std::size_t> firstLines_;
  bool rising_ = true;
  bool charsetFirst_ = false;  // kNumberOrder: the Charset line stands first
  std::size_t at_ = 1;         // kPoLines: the line being written
  std::string comment_;
};

// Converts a source's text, given in parts that follow each other, into
// the bytes the import writes, as encodeSource does: each part into the
// code page of the Charset, while the whole may still be written in it.
class SourceEncoder {
 public:
  explicit SourceEncoder(std::string_view charset);

  // Appends the bytes of `text`, the next part of the source (whole lines),
  // to `*bytes`: converted into the code page, or `text` itself where the
  // Charset names none. False, and nothing appended, once a character has
  // no place in the page: the source is then written as UTF-8.
  bool add(std::string_view text, std::string* bytes);

  // As add, a large text converted in two halves at once; false too where
  // memory runs short.
  bool addLarge(std::string_view text, std::string* bytes);

  // Takes on what `later` found in the parts right after this one's.
  void takeOn(const SourceEncoder& later);

  // Once every part is added: the page the source is written in, nullptr
  // where it is written as UTF-8 as it is (no page named, a character
  // without a place in it, or bytes that would be read as UTF-8).
  const CodePage* page() const;

  // Whether the bytes appended are the source as written.
  bool appendedStand() const { return named_ == nullptr || page() != nullptr; }

 private:
  const CodePage* const named_;
  bool fits_ = true;
  bool ascii_ = true;  // the bytes so far, where they fit
  bool utf8_ = true;
};

// A source's bytes as the import writes them.
struct EncodedSource {
  std::string bytes;
  // The code page the bytes are in; nullptr for UTF-8 (or ASCII where the
  // Charset names no code page).
  const CodePage* page = nullptr;
};

// `utf8`, the text of sourceFromPo, in the code page of its Charset where
// every character has a place there and the bytes cannot be taken for
// UTF-8, which is how every earlier tool reads a source; else as it is.
EncodedSource encodeSource(std::string utf8, std::string_view charset);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_PO_SOURCE_H_
