// A search of a text for the first of a few bytes, sixteen bytes at a time
// where SSE2 is there: std::string_view::find_first_of looks through its
// set once for every byte, and PO texts are long runs of none of them.

#ifndef PARLAVOX_COMPILER_PO_BYTE_SEARCH_H_
#define PARLAVOX_COMPILER_PO_BYTE_SEARCH_H_

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace parlavox {

// Where the first of `kBytes` in `text` at or after `at` stands; the
// text's size where none does.
template <char... kBytes>
std::size_t firstOf(std::string_view text, std::size_t at) {
#if defined(__SSE2__)
  constexpr std::size_t kWide = 16;
  if (text.size() >= kWide) {
    const auto found = [&](std::size_t from) {
      const __m128i block =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
      return static_cast<unsigned>(_mm_movemask_epi8(
          (_mm_cmpeq_epi8(block, _mm_set1_epi8(kBytes)) | ...)));
    };
    for (; at + kWide <= text.size(); at += kWide) {
      if (const unsigned mask = found(at)) {
        return at + static_cast<std::size_t>(std::countr_zero(mask));
      }
    }
    if (at >= text.size()) return text.size();
    // The last sixteen bytes, those before `at` left out: short texts end
    // within them.
    const std::size_t last = text.size() - kWide;
    const unsigned mask = found(last) >> (at - last);
    return mask != 0 ? at + static_cast<std::size_t>(std::countr_zero(mask))
                     : text.size();
  }
#endif
  while (at < text.size() && ((text[at] != kBytes) && ...)) ++at;
  return at;
}

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_PO_BYTE_SEARCH_H_
