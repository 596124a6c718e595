#include <iconv.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "compiler/encodings/code_page_converter.h"

namespace parlavox::os {

namespace {

struct SystemPage {
  unsigned number;
  const char* name;  // as glibc's iconv names it
};

constexpr std::array<SystemPage, 5> kSystemPages = {{
    {932, "CP932"},
    {936, "CP936"},
    {949, "CP949"},
    {950, "CP950"},
    {1361, "JOHAB"},
}};

// Whether iconv_open gave a converter rather than its failure value, -1.
bool opened(iconv_t handle) {
  return std::bit_cast<std::intptr_t>(handle) != -1;
}

// The converters of one thread, opened on first use and kept: opening one
// costs far more than converting a text.
class Converters {
 public:
  Converters() = default;
  ~Converters() {
    for (const Slot& slot : slots_) {
      if (slot.handle != nullptr) iconv_close(slot.handle);
    }
  }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;

  // From UTF-8 into `number` when `encode`, else back, reset to its start;
  // nullptr when the page is not known or iconv lacks it.
  iconv_t get(unsigned number, bool encode) {
    for (std::size_t i = 0; i < kSystemPages.size(); ++i) {
      if (kSystemPages[i].number != number) continue;
      Slot& slot = slots_[i * 2 + (encode ? 1 : 0)];
      if (!slot.tried) {
        slot.tried = true;
        const iconv_t handle = encode
                                   ? iconv_open(kSystemPages[i].name, "UTF-8")
                                   : iconv_open("UTF-8", kSystemPages[i].name);
        if (opened(handle)) slot.handle = handle;
      }
      if (slot.handle != nullptr) {
        iconv(slot.handle, nullptr, nullptr, nullptr, nullptr);
      }
      return slot.handle;
    }
    return nullptr;
  }

  // Room for the text read back when checking an encoded one.
  std::string& scratch() { return scratch_; }

 private:
  struct Slot {
    iconv_t handle = nullptr;
    bool tried = false;
  };

  std::array<Slot, kSystemPages.size() * 2> slots_{};
  std::string scratch_;
};

Converters& converters() {
  thread_local Converters each;
  return each;
}

// Converts all of `in`, appending at most `most` bytes to `*out`; false on
// any byte or character that does not convert.
bool convert(iconv_t handle, std::string_view in, std::size_t most,
             std::string* out) {
  const std::size_t start = out->size();
  out->resize(start + most);
  char* from = const_cast<char*>(in.data());
  std::size_t fromLeft = in.size();
  char* to = out->data() + start;
  std::size_t toLeft = most;
  const bool ok = iconv(handle, &from, &fromLeft, &to, &toLeft) !=
                      static_cast<std::size_t>(-1) &&
                  fromLeft == 0;
  out->resize(start + (most - toLeft));
  return ok;
}

}  // namespace

bool encodeWithSystem(unsigned number, std::string_view utf8,
                      std::string* out) {
  Converters& all = converters();
  const iconv_t encoder = all.get(number, true);
  const iconv_t decoder = all.get(number, false);
  if (encoder == nullptr || decoder == nullptr) {
    return false;
  }
  // A character takes at most two bytes, and never fewer in UTF-8 than one.
  const std::size_t start = out->size();
  if (!convert(encoder, utf8, utf8.size() * 2, out)) return false;
  // iconv writes some characters as a look-alike that reads back as another
  // character (U+301C WAVE DASH as the byte pair of U+FF5E); only what reads
  // back as itself has a place.
  std::string& back = all.scratch();
  back.clear();
  const std::string_view written = std::string_view(*out).substr(start);
  return convert(decoder, written, written.size() * 3, &back) && back == utf8;
}

bool decodeWithSystem(unsigned number, std::string_view bytes,
                      std::string* out) {
  const iconv_t decoder = converters().get(number, false);
  if (decoder == nullptr) return false;
  // One byte gives at most three of UTF-8 (a half-width katakana).
  return convert(decoder, bytes, bytes.size() * 3, out);
}

unsigned systemCodePage(bool* doubleByte) {
  *doubleByte = false;
  return 1252;
}

bool isSystemLeadByte(unsigned /*number*/, unsigned char /*byte*/) {
  return false;
}

}  // namespace parlavox::os
