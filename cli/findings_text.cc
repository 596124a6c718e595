#include "cli/findings_text.h"

namespace parlavox {

std::string describeStatistics(std::uint64_t strings,
                               const ReferenceCheck* check) {
  std::string text = std::to_string(strings) + " strings";
  if (check != nullptr) {
    text += ", " + std::to_string(check->missing) + " missing, " +
            std::to_string(check->extra) + " extra, " +
            std::to_string(check->identical) + " identical to the reference";
    if (check->changed) {
      text +=
          ", " + std::to_string(*check->changed) + " changed in the reference";
    }
  }
  return text;
}

}  // namespace parlavox
