// Which Charset would hold a Unicode source's texts: what the fault of a
// character with no place in its code page suggests instead.

#ifndef PARLAVOX_COMPILER_CHARSET_FIT_H_
#define PARLAVOX_COMPILER_CHARSET_FIT_H_

#include <array>
#include <optional>

#include "compiler/format/entry_table.h"

namespace parlavox {

// The Charset values whose code page the compiler knows, in the order the
// README's table offers them to a translator: the most used first.
inline constexpr std::array<unsigned, 16> kCharsetsInTableOrder = {
    0,   238, 204, 161, 162, 177, 178, 186,
    163, 222, 128, 134, 136, 129, 130, 77};

// The first Charset, in that order, whose code page has a place for every
// character of every text of `table`, whose texts are UTF-8; nothing when
// none has.
std::optional<unsigned> charsetHoldingAll(const EntryTable& table);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_CHARSET_FIT_H_
