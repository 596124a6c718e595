// The compile operation: from a folder and a language name, reads the
// language source "lang" + name + ".txt", checks its numbering and writes the
// compiled language file "Lang" + name + ".lng" beside it. The compiled file
// holds one line per slot (the Charset value first, then line numbers 0 to
// the highest), each ended by CR LF, with every ":\\" written as "://".

#ifndef PARLAVOX_COMPILER_COMPILE_H_
#define PARLAVOX_COMPILER_COMPILE_H_

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/encodings/code_pages.h"
#include "compiler/format/entry_table.h"
#include "compiler/language_files.h"
#include "compiler/source/encoding_check.h"
#include "compiler/source/source_blocks.h"
#include "compiler/source/source_file.h"

namespace parlavox {

// Success, or a failure with one message for the translator and the 1-based
// physical line of the source the fault belongs to (0 when none).
class CompileResult {
 public:
  static CompileResult success() { return CompileResult(); }
  static CompileResult failure(std::string message, std::size_t line = 0) {
    CompileResult result;
    result.ok_ = false;
    result.message_ = std::move(message);
    result.line_ = line;
    return result;
  }

  bool ok() const { return ok_; }
  const std::string& message() const { return message_; }
  std::size_t line() const { return line_; }

 private:
  CompileResult() = default;

  bool ok_ = true;
  std::string message_;
  std::size_t line_ = 0;
};

// Finds, reads and parses the language source into `*table`. Touches no file
// but the source. A source too large for memory, or one that changes while
// it is read, is unreadable. The source's encoding is decided from its
// bytes: a Unicode source's table holds UTF-8, an 8-bit one's the bytes as
// read. Where `file` is given it gets what was read, once the source is
// read (also when it then fails to parse). With `fileName`, the name of a
// plain file in `folder`, that file is the source (a source named on the
// command line is that very file, whatever the case of its name).
CompileResult loadLanguage(const std::filesystem::path& folder,
                           std::string_view name, EntryTable* table,
                           SourceFile* file = nullptr,
                           std::string_view fileName = {});

// The table's strings joined by CR LF, every ":\\" written as "://"; the
// compiled file is this text and one more CR LF.
std::string joinEntries(const EntryTable& table);

// The code page the compiled file of `table`, read from a source in
// `encoding`, is written in: for a Unicode source the one its Charset
// value names; nullptr where the bytes are written as read.
const CodePage* codePageOfTable(const EntryTable& table,
                                SourceEncoding encoding);

// Writes `table` as the compiled language file, replacing any earlier one:
// the bytes of joinEntries and CR LF, streamed to the file in large blocks
// rather than joined in memory; in codePageOfTable where there is one. A
// character that code page cannot hold is a fault, which names the Charset
// that would hold every text where one would, and nothing is written.
// Given the `source` the table was read from, the earlier file is kept, and
// the source is unreadable, when that source is no longer the same file,
// unchanged, by the time the new file is complete.
CompileResult writeLanguage(const std::filesystem::path& folder,
                            std::string_view name, const EntryTable& table,
                            const SourceFile* source = nullptr);

// The fault that writeLanguage would meet in `table`, read from a source in
// `encoding`: the first character, in slot order, that the code page of
// codePageOfTable has no place for, in the same words; success when every
// text fits, or nothing is converted. Writes nothing.
CompileResult checkConversion(const EntryTable& table, SourceEncoding encoding);

// How compileLanguage goes about it.
struct CompileOptions {
  // Whether to check the source's encoding, as checkEncoding does.
  bool checkEncoding = false;
  // Whether any encoding finding keeps the compiled file from being written.
  bool holdBackOnFindings = false;
  // The size of the blocks the source is read in.
  std::size_t blockSize = kSourceBlockSize;
  // The source's own file name in the folder, where it was named as a file
  // (see loadLanguage).
  std::string sourceFileName;
};

// What compileLanguage found out besides its result.
struct CompileReport {
  // Whether the source was read whole and has no fault.
  bool scanned = false;
  // The number of line numbers, 0 to the highest, when scanned.
  std::size_t lineCount = 0;
  // The encoding findings, with CompileOptions::checkEncoding.
  std::vector<EncodingFinding> findings;
  // Whether the compiled file was not written because of findings.
  bool heldBack = false;
  // Whether the compile failed on a character that the code page of the
  // source's Charset has no place for.
  bool unmappable = false;
  // How the source's bytes were read, once that is known.
  SourceEncoding encoding = SourceEncoding::kEightBit;
  ByteOrderMark mark = ByteOrderMark::kNone;
};

// The same result and compiled file as loadLanguage, then writeLanguage,
// in one pass that writes each text as soon as it is read and every text
// before it is written, so that a source in number order never stands in
// memory. The source is read once where its bytes decide their encoding as
// they come; an 8-bit one again from its start once its first byte beyond
// ASCII shows it, and a failed reading again where only the whole file
// tells the fault that comes first. An earlier compiled file
// stays as it was on every failure. The fault of a character that the code
// page has no place for names the Charset that would hold every text, where
// one would.
CompileResult compileLanguage(const std::filesystem::path& folder,
                              std::string_view name,
                              const CompileOptions& options = {},
                              CompileReport* report = nullptr);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_COMPILE_H_
