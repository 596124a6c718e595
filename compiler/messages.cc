#include "compiler/messages.h"

namespace parlavox::messages {

std::string delimiterMissing(std::string_view piece, std::uint64_t pieceIndex) {
  std::string message = "string delimiter | missing in line \"";
  message += piece;
  message += "\" (";
  message += std::to_string(pieceIndex);
  message += ")";
  return message;
}

std::string doubleEntry(std::string_view numberText) {
  return "double entry for line number " + std::string(numberText);
}

std::string entryMissing(std::uint64_t lineNumber) {
  return "entry for line number " + std::to_string(lineNumber) + " missing";
}

std::string invalidLineNumber(std::string_view numberText) {
  return "invalid line number " + std::string(numberText);
}

std::string sourceNotFound(std::string_view name) {
  return "File lang" + std::string(name) + ".txt not found in this directory";
}

std::string sourceEmpty() { return "Lang.txt is empty. Not compiled"; }

std::string sourceUnreadable(std::string_view name) {
  return "File lang" + std::string(name) + ".txt could not be read";
}

std::string outputNotWritten(std::string_view name) {
  return "File Lang" + std::string(name) + ".lng could not be written";
}

std::string nameNotAllowed() {
  return "Language name may not contain any of \\ / : * ? \" < > |";
}

}  // namespace parlavox::messages
