#include "compiler/format/test_literal_parser.h"

#include <map>
#include <vector>

#include "compiler/format/messages.h"

namespace parlavox::literal {

namespace {

// One left-to-right pass over non-overlapping occurrences.
std::string replaceAll(const std::string& text, const std::string& from,
                       const std::string& to) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t found = text.find(from, at);
    if (found == std::string::npos) break;
    out += text.substr(at, found - at);
    out += to;
    at = found + from.size();
  }
  return out + text.substr(at);
}

std::string trim(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

bool isNumeric(const std::string& s) {
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// Whole numbers as digit strings without leading zeros, "-1" for slot 0.
bool less(const std::string& a, const std::string& b) {
  if (a == "-1" || b == "-1") return a == "-1" && b != "-1";
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

struct Less {
  bool operator()(const std::string& a, const std::string& b) const {
    return less(a, b);
  }
};

}  // namespace

Result compile(const std::string& source) {
  std::string text = replaceAll(source, "://", ":\\\\");
  text = replaceAll(text, "\r", "^");
  text = replaceAll(text, "\n", "^");
  for (int pass = 0; pass < 2; ++pass) text = replaceAll(text, "^ ", "^");
  for (int pass = 0; pass < 7; ++pass) text = replaceAll(text, "^^", "^");

  std::vector<std::string> pieces;
  std::size_t at = 0;
  for (;;) {
    const std::size_t caret = text.find('^', at);
    pieces.push_back(text.substr(at, caret - at));
    if (caret == std::string::npos) break;
    at = caret + 1;
  }

  std::map<std::string, std::string, Less> slots;
  std::string highest = "0";
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    const std::size_t bar = piece.find('|');
    if (bar == std::string::npos || bar == 0) continue;
    const std::string number = trim(piece.substr(0, bar));
    std::string key;
    if (number == "Charset") {
      key = "-1";
    } else if (isNumeric(number)) {
      const bool negative = number[0] == '-';
      std::size_t first = (number[0] == '+' || negative) ? 1 : 0;
      while (first + 1 < number.size() && number[first] == '0') ++first;
      key = number.substr(first);
      if (negative && key != "0") {
        if (key != "1") return {false, messages::invalidLineNumber(number), {}};
        key = "-1";
      }
    } else {
      return {false, messages::delimiterMissing(piece, i), {}};
    }
    if (number != "Charset" && less(highest, key)) highest = key;
    std::string entry = piece.substr(bar + 1);
    entry = trim(entry.substr(0, entry.find("//")));
    if (!slots[key].empty()) {
      return {false, messages::doubleEntry(number), {}};
    }
    slots[key] = entry;
  }

  std::string joined = slots["-1"];
  for (unsigned long long n = 0;; ++n) {
    const std::string key = std::to_string(n);
    if (less(highest, key)) break;
    if (slots[key].empty()) {
      return {false, "entry for line number " + key + " missing", {}};
    }
    joined += "\r\n" + slots[key];
  }
  return {true, {}, replaceAll(joined, ":\\\\", "://") + "\r\n"};
}

}  // namespace parlavox::literal
