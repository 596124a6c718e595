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
