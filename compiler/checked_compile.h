// The operations, compiler/: what the command line and the window call. The
// compile, the compile with its checks, the check against the reference
// and the update of a source from it. They may use every layer below
// (source, format, files, encodings) and the standard library; only po/
// stands above them.
//
// The compile a translator runs from the window: compileLanguage with the
// encoding check, and, where the folder holds the English reference source
// the translation is made from, the check against it. What the checks found
// comes back worded as parlavox-lngc prints it, for the window to show.

#ifndef PARLAVOX_COMPILER_CHECKED_COMPILE_H_
#define PARLAVOX_COMPILER_CHECKED_COMPILE_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile.h"

namespace parlavox {

// The language name of the reference source, "langEnglish.txt".
inline constexpr std::string_view kReferenceLanguage = "English";

// One thing the translator should look at in a source that compiled.
struct Warning {
  std::size_t line;  // the 1-based physical line of the source; 0 for none
  std::string text;  // one sentence, as parlavox-lngc words it
};

struct CheckedCompile {
  CompileResult result = CompileResult::success();
  // The file name of the source compiled, as found in the folder.
  std::string source;
  // The file name of the reference it was checked against; empty when the
  // folder holds none that compiles, or the language is English itself.
  std::string reference;
  // In the order parlavox-lngc prints them: the encoding's, then those
  // against the reference (placeholders, missing line numbers). Empty when
  // the compile failed.
  std::vector<Warning> warnings;
};

// Compiles `name` in `folder` as compileLanguage does, and checks what
// compiled. The reference is "lang" + kReferenceLanguage + ".txt" in
// `folder`, found as a source is found; without one only the source's own
// checks are made.
CheckedCompile compileAndCheck(const std::filesystem::path& folder,
                               std::string_view name);

}  // namespace parlavox

#endif  // PARLAVOX_COMPILER_CHECKED_COMPILE_H_
