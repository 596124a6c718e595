// Fuzzes the parser against the literal parser, and checks what must hold of
// every result: a table runs through the highest line number with a text in
// every numbered slot, and its encoding findings stand on real lines in
// order; a fault is one of the defined kinds on a real line.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/format/language_source.h"
#include "compiler/format/test_literal_parser.h"
#include "compiler/source/encoding_check.h"

namespace {

[[noreturn]] void broken(const char* what, const std::string& detail) {
  std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::size_t lineCount(std::string_view text) {
  return parlavox::physicalLineAt(text, text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const parlavox::ParseResult actual = parlavox::parseLanguageSource(text);
  const parlavox::literal::Result expected = parlavox::literal::compile(text);

  if (actual.ok() != expected.ok) broken("outcome differs", expected.message);
  if (actual.ok()) {
    const parlavox::EntryTable& table = *actual.table;
    if (table.size() < 2) broken("table shorter than two slots", "");
    for (std::size_t slot = 1; slot < table.size(); ++slot) {
      if (table[slot].empty())
        broken("empty numbered slot", std::to_string(slot));
      if (table.physicalLine(slot) == 0 ||
          table.physicalLine(slot) > lineCount(text)) {
        broken("slot off every line", std::to_string(slot));
      }
    }
    std::size_t previous = 1;
    for (const parlavox::EncodingFinding& finding :
         parlavox::checkEncoding(table)) {
      if (finding.physicalLine < previous ||
          finding.physicalLine > lineCount(text)) {
        broken("encoding finding out of order or off every line",
               std::to_string(finding.physicalLine));
      }
      previous = finding.physicalLine;
    }
    if (parlavox::joinEntries(table) + "\r\n" != expected.compiled) {
      broken("compiled bytes differ", expected.compiled);
    }
    return 0;
  }

  const std::string& message = actual.fault.message;
  if (message != expected.message) broken("message differs", message);
  const bool missing = startsWith(message, "entry for line number ");
  const bool located =
      startsWith(message, "string delimiter | missing in line ") ||
      startsWith(message, "double entry for line number ") ||
      startsWith(message, "invalid line number ");
  if (!missing && !located) broken("unknown kind of fault", message);
  if (missing != (actual.fault.line == 0))
    broken("line of a missing entry", message);
  if (actual.fault.line > lineCount(text))
    broken("line beyond the source", message);
  return 0;
}
