// Line numbers as a language source writes them, and a PO file's contexts
// and source lines: decimal digits, without a sign or leading zeros.

#ifndef PARLAVOX_COMPILER_FORMAT_DECIMAL_H_
#define PARLAVOX_COMPILER_FORMAT_DECIMAL_H_

#include <array>
#include <charconv>
#include <cstdint>
#include <string>

namespace parlavox {

// Appends `number` in decimal to `*out`.
inline void appendDecimal(std::string* out, std::uint64_t number) {
  std::array<char, 20> digits;
  out->append(
      digits.data(),
      std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr);
}

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_FORMAT_DECIMAL_H_
