// The source layer, compiler/source/: a language source read in its
// encoding. The encoding told from its bytes, a UTF-16 source decoded, the
// scan of a source read block by block, the checks of its bytes against its
// Charset, and the compiled file's bytes made in its code page. It may use
// the format, files and encodings layers and the standard library.
//
// What the load of a language source found and read: the file, the encoding
// its bytes were read in and the byte-order mark they started with. Later
// steps (the compiled file's code page, notes after a fault, updating the
// source) use this instead of looking the source up or opening it again.

#ifndef PARLAVOX_COMPILER_SOURCE_FILE_H_
#define PARLAVOX_COMPILER_SOURCE_FILE_H_

#include <filesystem>

#include "compiler/files/file_results.h"
#include "compiler/source/encoding_check.h"

namespace parlavox {

// How a source's bytes are read.
enum class SourceEncoding {
  kEightBit,  // one code page, byte for byte, as the Charset line names it
  kUtf8,
  kUtf16Le,
  kUtf16Be,
};

struct SourceFile {
  // The file the load found and read; empty when it found none.
  std::filesystem::path path;
  SourceEncoding encoding = SourceEncoding::kEightBit;
  // The mark the file started with; the parsed text never holds it.
  ByteOrderMark mark = ByteOrderMark::kNone;
  // The file as it was when read, to tell later whether it changed since.
  FileIdentity identity;
};

// Whether `encoding` is one of the Unicode ones, whose texts the table holds
// as UTF-8.
inline bool isUnicode(SourceEncoding encoding) {
  return encoding != SourceEncoding::kEightBit;
}

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_SOURCE_FILE_H_
