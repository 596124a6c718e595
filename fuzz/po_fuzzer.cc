// Fuzzes the PO reader and the source made of a PO file: a malformed file
// is a fault on one of its lines, never a crash; a source made of a good one
// parses, in number order and on the PO file's lines alike, into the same
// texts; and the PO file exported from that table reads back into it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/format/entry_table.h"
#include "compiler/format/language_source.h"
#include "compiler/po/po_export.h"
#include "compiler/po/po_reader.h"
#include "compiler/po/po_source.h"

namespace {

[[noreturn]] void broken(const char* what, std::string_view detail) {
  std::fprintf(stderr, "property broken: %s\n%.*s\n", what,
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

bool sameTexts(const parlavox::EntryTable& a, const parlavox::EntryTable& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t slot = 0; slot < a.size(); ++slot) {
    if (a[slot] != b[slot] || a.comment(slot) != b.comment(slot)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace parlavox;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PoReadResult read = readPo(bytes);
  if (!read.ok()) {
    if (read.message.empty()) broken("a fault without a message", bytes);
    if (read.line == 0 || read.line > physicalLineAt(bytes, size) + 1) {
      broken("a fault on no line of the file", bytes);
    }
    return 0;
  }
  const PoSource ordered = sourceFromPo(*read.catalog, PoLayout::kNumberOrder);
  const PoSource placed = sourceFromPo(*read.catalog, PoLayout::kPoLines);
  // The import reads the file in parts, each entry handed on as it is read.
  for (const PoLayout layout : {PoLayout::kNumberOrder, PoLayout::kPoLines}) {
    PoSourceMaker maker(layout);
    PoReader reader(&maker);
    const std::size_t part = 1 + (size != 0 ? data[0] % 61 : 0);
    for (std::size_t at = 0; at < size; at += part) {
      reader.feed(bytes.substr(at, part));
    }
    if (!reader.finish().ok) broken("a file that reads in parts not", bytes);
    const PoSource streamed = maker.finish();
    const PoSource& kept = layout == PoLayout::kNumberOrder ? ordered : placed;
    if (streamed.result.ok() != kept.result.ok() ||
        streamed.result.message() != kept.result.message() ||
        streamed.result.line() != kept.result.line() ||
        streamed.text != kept.text || streamed.charset != kept.charset) {
      broken("the source read in parts is another", bytes);
    }
  }
  if (ordered.result.ok() != placed.result.ok()) {
    broken("the two layouts disagree on a fault", bytes);
  }
  if (!ordered.result.ok()) return 0;
  ParseResult first = parseLanguageSource(std::string_view(ordered.text));
  ParseResult second = parseLanguageSource(std::string_view(placed.text));
  if (first.ok() != second.ok()) broken("one layout parses", bytes);
  if (!first.ok()) return 0;
  if (!sameTexts(*first.table, *second.table)) {
    broken("the layouts parse into other texts", bytes);
  }
  const ReadTable table{&*first.table, SourceEncoding::kUtf8};
  const PoExport exported = exportPo(table, "langEnglish.txt", table, nullptr);
  if (!exported.result.ok()) broken("a UTF-8 table that exports not", bytes);
  const PoReadResult again = readPo(exported.text);
  if (!again.ok()) broken("an export that reads not", exported.text);
  const PoSource back = sourceFromPo(*again.catalog, PoLayout::kNumberOrder);
  if (!back.result.ok()) broken("an export that imports not", exported.text);
  ParseResult reparsed = parseLanguageSource(std::string_view(back.text));
  if (!reparsed.ok() || !sameTexts(*first.table, *reparsed.table)) {
    broken("an export that imports into other texts", exported.text);
  }
  return 0;
}
