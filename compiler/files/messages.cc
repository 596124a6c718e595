#include "compiler/files/messages.h"

namespace parlavox::messages {

std::string fileCause(FileCause cause) {
  switch (cause) {
    case FileCause::kReadOnly:
      return "the file is read-only";
    case FileCause::kHeldOpen:
      return "another program has the file open";
    case FileCause::kPermissionDenied:
      return "permission denied";
    case FileCause::kNoSpace:
      return "no space left on the device";
    case FileCause::kNone:
      break;
  }
  return "";
}

}  // namespace parlavox::messages
