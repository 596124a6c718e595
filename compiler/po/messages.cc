#include "compiler/po/messages.h"

namespace parlavox::messages {

namespace {

std::string inQuotes(std::string_view text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

}  // namespace

std::string poUnterminatedString() { return "the string has no closing quote"; }

std::string poBadEscape(std::string_view sequence) {
  return "unknown escape sequence " + inQuotes(sequence);
}

std::string poTextAfterString() { return "text after the closing quote"; }

std::string poNoString(std::string_view keyword) {
  return inQuotes(keyword) + " is not followed by a string in quotes";
}

std::string poOutOfPlace(std::string_view keyword, std::string_view expected) {
  return inQuotes(keyword) + " out of place: " + std::string(expected) +
         " expected";
}

std::string poUnknownKeyword(std::string_view word) {
  return "unknown keyword " + inQuotes(word);
}

std::string poStrayString() { return "a string without a keyword before it"; }

std::string poNoMsgstr() { return "the entry ends without msgstr"; }

std::string poNotUtf8() { return "the text is not UTF-8"; }

std::string poCharset(std::string_view charset) {
  return "the file is in charset " + inQuotes(charset) +
         ", and only UTF-8 is read: convert it with msgconv --to-code=UTF-8";
}

std::string poNoLineNumber(std::string_view context) {
  return "msgctxt " + inQuotes(context) + " is no line number";
}

std::string poNoContext(std::string_view id) {
  return "msgid " + inQuotes(id) + " has no msgctxt with its line number";
}

std::string poPlural(std::string_view entry) {
  return std::string(entry) +
         " has plural forms (msgid_plural), which a language source cannot "
         "hold";
}

std::string poDuplicate(std::string_view entry, std::size_t firstLine) {
  return std::string(entry) + " is there twice, first on line " +
         std::to_string(firstLine);
}

std::string poUnfit(std::string_view entry, std::string_view reason) {
  return std::string(entry) + ": " + std::string(reason);
}

std::string poObsolete() { return "obsolete entry (#~) passed over"; }

std::string poBadCharset(std::string_view value) {
  return "X-Parlavox-Charset " + inQuotes(value) + " is no number";
}

std::string poEntryName(const std::string* context, std::string_view id) {
  if (context != nullptr) return "msgctxt " + inQuotes(*context);
  return "msgid " + inQuotes(id);
}

std::string poNotDecodable(std::string_view what, std::string_view codePage,
                           unsigned charsetValue) {
  return std::string(what) + " holds bytes that " + std::string(codePage) +
         ", the code page of Charset " + std::to_string(charsetValue) +
         ", has no characters for: a PO file could not give them back; "
         "retype them";
}

std::string poNoCodePage(std::string_view what, std::string_view charset) {
  std::string out(what);
  out += " holds bytes beyond ASCII, but ";
  out += charset.empty() ? std::string("without a Charset line the file")
                         : "Charset " + std::string(charset);
  out += " names no code page to read them in: save the source as UTF-8";
  return out;
}

std::string fileNotFound(std::string_view file) {
  return "File " + std::string(file) + " not found";
}

std::string fileNotRead(std::string_view file, std::string_view cause) {
  std::string out = "File " + std::string(file) + " could not be read";
  if (!cause.empty()) out += ": " + std::string(cause);
  return out;
}

std::string fileNotWritten(std::string_view file, std::string_view cause) {
  std::string out = "File " + std::string(file) + " could not be written";
  if (!cause.empty()) out += ": " + std::string(cause);
  return out;
}

std::string poExists(std::string_view file) {
  return std::string(file) + " is there already: give --force to replace it";
}

}  // namespace parlavox::messages
