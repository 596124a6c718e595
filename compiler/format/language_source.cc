#include "compiler/format/language_source.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "compiler/format/source_scanner.h"

namespace parlavox {

// The table's consumer of a scan: notes where each text stands in the
// source, which the table then keeps whole.
class EntryTableBuilder : public EntrySink {
 public:
  using Span = EntryTable::Span;

  // For a source of `sourceSize` bytes with room for `room` line numbers.
  EntryTableBuilder(std::size_t sourceSize, std::uint64_t room)
      : slots_(sourceSize) {
    // Every line number in the table has a "|": room for them all at once,
    // so that the table never stands twice in memory while it grows.
    slots_.reserve(room + 1);
    slots_.resize(1);  // slot 0, the Charset value, always exists
  }

  bool take(std::size_t slot, std::string_view text, std::uint64_t offset,
            std::size_t /*line*/) override {
    if (slot >= slots_.size()) slots_.resize(slot + 1);
    slots_.set(slot, Span{static_cast<std::size_t>(offset), text.size()});
    return true;
  }

  EntryTable make(FileText source, std::size_t slotCount) {
    slots_.resize(slotCount);
    EntryTable table;
    table.source_ = std::move(source);
    table.slots_ = std::move(slots_);
    return table;
  }

 private:
  EntryTable::Spans slots_;
};

ParseResult parseLanguageSource(FileText text) {
  return parseLanguageSource(std::move(text), FileText(), QuoteFunction());
}

ParseResult parseLanguageSource(FileText text, FileText scanned,
                                const QuoteFunction& quote) {
  const std::string_view bytes = scanned.empty() ? text.view() : scanned.view();
  // Numbers from the count of "|" up cannot all be present.
  const auto room =
      static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '|'));
  EntryTableBuilder builder(bytes.size(), room);
  SourceScanner scanner(&builder, room, quote);
  scanner.feed(bytes, text.view());
  ScanResult scan = scanner.finish();
  ParseResult result;
  if (!scan.ok()) {
    result.fault = std::move(scan.fault);
    return result;
  }
  result.table = builder.make(std::move(text), scan.slotCount);
  return result;
}

ParseResult parseLanguageSource(std::string_view text) {
  return parseLanguageSource(FileText(text));
}

}  // namespace parlavox
