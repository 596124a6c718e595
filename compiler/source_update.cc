#include "compiler/source_update.h"

#include <algorithm>
#include <charconv>

namespace parlavox {

namespace {

bool endsInLineEnd(std::string_view source) {
  return !source.empty() && (source.back() == '\r' || source.back() == '\n');
}

bool hasByteAbove127(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    return static_cast<unsigned char>(c) > 127;
  });
}

void appendNumber(std::string* out, std::uint64_t number) {
  char digits[20];
  const auto [end, error] =
      std::to_chars(digits, digits + sizeof digits, number);
  out->append(digits, end);
}

}  // namespace

std::string_view lineEndOf(std::string_view source) {
  const std::size_t at = source.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (source[at] == '\n') return "\n";
  return source.substr(at + 1, 1) == "\n" ? "\r\n" : "\r";
}

SourceUpdate updateFromReference(const EntryTable& translation,
                                 const EntryTable& reference) {
  SourceUpdate update;
  // Slot 0, the Charset value, is the translator's own.
  const std::size_t firstSlot = std::max<std::size_t>(translation.size(), 1);
  if (firstSlot >= reference.size()) return update;
  update.firstAdded = firstSlot - 1;
  update.added = reference.size() - firstSlot;

  const std::string_view source = translation.source();
  const std::string_view lineEnd = lineEndOf(source);
  std::string& out = update.appended;
  if (!endsInLineEnd(source)) out += lineEnd;
  out += kNewInReferenceLine;
  out += lineEnd;

  const bool charsetDiffers =
      reference[0] != (translation.size() != 0 ? translation[0] : "");
  std::size_t firstLine = 0;  // of the first added entry line, once counted
  for (std::size_t slot = firstSlot; slot < reference.size(); ++slot) {
    const std::string_view text = reference[slot];
    appendNumber(&out, slot - 1);
    out += " | ";
    out += text;
    const std::string_view comment = reference.comment(slot);
    if (!comment.empty()) {
      out += " // ";
      out += comment;
    }
    out += lineEnd;
    if (charsetDiffers && hasByteAbove127(text)) {
      // Counting lines costs a pass over the source, so only where needed.
      if (firstLine == 0) {
        firstLine = physicalLineAt(source, source.size()) +
                    (endsInLineEnd(source) ? 0 : 1) + 1;
      }
      update.charsetRisks.push_back({slot - 1, firstLine + slot - firstSlot});
    }
  }
  return update;
}

}  // namespace parlavox
