#include "compiler/format/messages.h"

#include "compiler/encodings/messages.h"

namespace parlavox::messages {

namespace {

bool isControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

}  // namespace

std::string visibleControls(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    if (isControlByte(c)) {
      shown += '<' + hexByte(static_cast<unsigned char>(c)) + '>';
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string delimiterMissing(std::string_view piece, std::uint64_t pieceIndex) {
  std::string message = "string delimiter | missing in line \"";
  message += visibleControls(piece);
  message += "\" (";
  message += std::to_string(pieceIndex);
  message += ")";
  return message;
}

std::string doubleEntry(std::string_view numberText) {
  return "double entry for line number " + visibleControls(numberText);
}

std::string entryMissing(std::uint64_t lineNumber) {
  return "entry for line number " + std::to_string(lineNumber) + " missing";
}

std::string invalidLineNumber(std::string_view numberText) {
  return "invalid line number " + visibleControls(numberText);
}

}  // namespace parlavox::messages
