#include "cli/windows_console.h"

#ifdef _WIN32
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string_view>

#include "cli/wildcards.h"
#include "compiler/encodings/utf16.h"
#endif

namespace parlavox {

#ifdef _WIN32

namespace {

// Collects what a stream writes and hands it to the console as UTF-16 at
// each line end and flush; a character cut between two writes waits for its
// last bytes.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
    pending_ += traits_type::to_char_type(c);
    if (c == '\n') sync();
    return c;
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<std::size_t>(n));
    if (std::string_view(s, static_cast<std::size_t>(n)).find('\n') !=
        std::string_view::npos) {
      sync();
    }
    return n;
  }

  int sync() override {
    const std::size_t complete = completeUtf8Length(pending_);
    const std::u16string text =
        utf16FromUtf8(pending_.substr(0, complete)).value_or(u"\uFFFD");
    pending_.erase(0, complete);
    const std::wstring wide(text.begin(), text.end());
    DWORD written = 0;
    for (std::size_t at = 0; at < wide.size(); at += written) {
      if (!WriteConsoleW(console_, wide.data() + at,
                         static_cast<DWORD>(wide.size() - at), &written,
                         nullptr) ||
          written == 0) {
        return -1;
      }
    }
    return 0;
  }

 private:
  HANDLE console_;
  std::string pending_;
};

// Whether `handle` is a console rather than a file or a pipe.
bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void useConsoleFor(std::ostream& stream, DWORD standardHandle) {
  const HANDLE handle = GetStdHandle(standardHandle);
  if (!isConsole(handle)) return;
  stream.flush();
  // Never freed: the stream uses it until the program's very end.
  stream.rdbuf(new ConsoleBuffer(handle));
}

}  // namespace

std::vector<Argument> commandLineArguments(int /*argc*/, char** /*argv*/) {
  // The raw command line, not CommandLineToArgvW: only the raw line tells
  // which arguments were quoted.
  const std::wstring_view line(GetCommandLineW());
  const std::vector<CommandLineArgument> split =
      splitWindowsCommandLine(std::u16string(line.begin(), line.end()));
  std::vector<Argument> args;
  for (std::size_t i = 1; i < split.size(); ++i) {
    args.push_back({split[i].text, !split[i].quoted});
  }
  return args;
}

void writeUnicodeToConsoles() {
  useConsoleFor(std::cout, STD_OUTPUT_HANDLE);
  useConsoleFor(std::cerr, STD_ERROR_HANDLE);
}

#else

std::vector<Argument> commandLineArguments(int argc, char** argv) {
  std::vector<Argument> args;
  for (int i = 1; i < argc; ++i) args.push_back({argv[i], false});
  return args;
}

void writeUnicodeToConsoles() {}

#endif

}  // namespace parlavox
