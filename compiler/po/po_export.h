// The PO file of a translation, or the template (POT) of a reference: one
// entry per line number of the reference, in number order, with msgctxt
// the line number, msgid the reference's text and msgstr the translation's,
// every text in UTF-8, and the comments, the source line and the
// placeholder flag that PO editors and the gettext tools use.

#ifndef PARLAVOX_COMPILER_PO_EXPORT_H_
#define PARLAVOX_COMPILER_PO_EXPORT_H_

#include <functional>
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/encodings/languages.h"
#include "compiler/format/entry_table.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// A source table with the encoding it was read in.
struct ReadTable {
  const EntryTable* table = nullptr;
  SourceEncoding encoding = SourceEncoding::kEightBit;
};

struct PoExport {
  // A failure names a physical line of the reference's source where
  // `inReference`, else of the translation's.
  CompileResult result = CompileResult::success();
  bool inReference = false;
  std::string text;            // when no sink took it
  std::size_t entries = 0;     // besides the header
  std::size_t translated = 0;  // of them, with a msgstr
};

// The PO file of `translation` against `reference`, whose file name
// `referenceName` the "#:" lines give; a template where `translation` has
// no table. `language` (nullptr: none known) gives the Language field.
// Line numbers beyond the reference's highest follow the others, each with
// the translation's own text as its msgid and an extracted comment saying
// so. An 8-bit text that its Charset's code page does not give back byte
// for byte is a fault: the PO file would not compile to the same bytes.
PoExport exportPo(const ReadTable& reference, std::string_view referenceName,
                  const ReadTable& translation, const Language* language);

// Takes the PO text as it is made, a part at a time, in order.
using PoSink = std::function<void(std::string_view)>;

// exportPo, the text handed to `sink` as it is made rather than kept; after
// a fault, what the sink took is only the first part of a file.
PoExport exportPo(const ReadTable& reference, std::string_view referenceName,
                  const ReadTable& translation, const Language* language,
                  const PoSink& sink);

// `text` as a PO string, in quotes, with gettext's escapes.
std::string poQuoted(std::string_view text);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_PO_EXPORT_H_
