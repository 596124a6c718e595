#include "compiler/messages.h"

#include "compiler/utf16.h"

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

namespace {

// "TEXT" or "TEXT: CAUSE".
std::string withCause(std::string text, FileCause cause) {
  const std::string why = fileCause(cause);
  if (!why.empty()) text += ": " + why;
  return text;
}

}  // namespace

std::string fileCause(FileCause cause) {
  switch (cause) {
    case FileCause::kReadOnly:
      return "the file is read-only";
    case FileCause::kHeldOpen:
      return "another program has the file open";
    case FileCause::kPermissionDenied:
      return "permission denied";
    case FileCause::kNoSpace:
      return "no space left on the device";
    case FileCause::kNone:
      break;
  }
  return "";
}

std::string sourceUnreadable(std::string_view name, FileCause cause) {
  return withCause("File lang" + std::string(name) + ".txt could not be read",
                   cause);
}

std::string outputNotWritten(std::string_view name, FileCause cause) {
  return withCause(
      "File Lang" + std::string(name) + ".lng could not be written", cause);
}

std::string nameNotAllowed() {
  return "Language name may not contain any of \\ / : * ? \" < > |";
}

namespace {

// "U+0151": at least four hexadecimal digits.
std::string codePointName(char32_t code) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string digits;
  for (; code != 0 || digits.size() < 4; code >>= 4) {
    digits.insert(digits.begin(), kDigits[code & 0xF]);
  }
  return "U+" + digits;
}

}  // namespace

std::string loneSurrogate(char32_t unit) {
  return "the file is saved as UTF-16, but this line holds half of a "
         "character (" +
         codePointName(unit) + " without its other half)";
}

std::string halfUtf16Unit() {
  return "the file is saved as UTF-16, but it ends in half a character (an "
         "odd number of bytes)";
}

std::string unmappableCharacter(char32_t character, std::uint64_t lineNumber,
                                std::string_view codePage,
                                unsigned charsetValue) {
  std::string shown;
  appendUtf8(shown, character);
  return "character \"" + shown + "\" (" + codePointName(character) +
         ") in line number " + std::to_string(lineNumber) +
         " has no place in " + std::string(codePage) +
         ", the code page of Charset " + std::to_string(charsetValue);
}

}  // namespace parlavox::messages
