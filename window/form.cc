#include "window/form.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "version.h"

namespace parlavox::form {

namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kCentipointsPerInch = 7200;

// a * b / c rounded to the nearest integer, halves away from zero, without
// overflow on the way; -1 when c is 0 or the result does not fit an int.
int mulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t divisor = std::llabs(c);
  const std::int64_t magnitude = (std::llabs(product) + divisor / 2) / divisor;
  const std::int64_t result = (product < 0) != (c < 0) ? -magnitude : magnitude;
  if (result > std::numeric_limits<int>::max() ||
      result < std::numeric_limits<int>::min()) {
    return -1;
  }
  return static_cast<int>(result);
}

// The fixed texts are ASCII, so each char widens to the same character.
template <typename Char>
std::basic_string<Char> joined(std::string_view before,
                               std::basic_string_view<Char> name,
                               std::string_view after) {
  std::basic_string<Char> text(before.begin(), before.end());
  text += name;
  text.append(after.begin(), after.end());
  return text;
}

std::string page(std::string_view path) {
  return std::string("http://") + PARLAVOX_WEB_HOST + std::string(path);
}

}  // namespace

std::array<ControlId, kControlCount> tabOrder() {
  std::array<ControlId, kControlCount> order{};
  for (std::size_t id = 0; id < kControlCount; ++id) {
    order[id] = static_cast<ControlId>(id);
  }
  std::sort(order.begin(), order.end(), [](ControlId a, ControlId b) {
    return kControls[a].tab < kControls[b].tab;
  });
  return order;
}

std::vector<std::size_t> tabOrderOf(std::span<const Control> controls) {
  std::vector<std::size_t> order(controls.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return controls[a].tab < controls[b].tab;
  });
  return order;
}

std::string objectName(const Control& control) {
  std::string name(control.name);
  if (control.index >= 0) {
    name += '_';
    name += std::to_string(control.index);
  }
  return name;
}

std::string captionWithVersion(std::string_view caption) {
  return std::string(caption) + " v" + std::to_string(kVersionMajor) + "." +
         std::to_string(kVersionMinor);
}

std::string outputText(std::string_view name) {
  return joined(texts::kOutputBefore, name, texts::kOutputAfter);
}

std::wstring outputText(std::wstring_view name) {
  return joined(texts::kOutputBefore, name, texts::kOutputAfter);
}

std::string successText(std::string_view name) {
  return joined(texts::kSuccessBefore, name, texts::kSuccessAfter);
}

std::wstring successText(std::wstring_view name) {
  return joined(texts::kSuccessBefore, name, texts::kSuccessAfter);
}

std::string findingsSummary(std::string_view name,
                            const CheckedCompile& checked) {
  const std::size_t count = checked.warnings.size();
  std::string text = joined(texts::kLang, name, texts::kOutputAfter);
  text += texts::kFindingsWritten;
  text += "\r\n";
  text += std::to_string(count);
  text += count == 1 ? texts::kOneFinding : texts::kFindings;
  text += texts::kFindingsIn;
  text += checked.source;
  if (!checked.reference.empty()) {
    text += texts::kFindingsReference;
    text += checked.reference;
    text += texts::kFindingsReferenceEnd;
  }
  text += texts::kFindingsEnd;
  return text;
}

std::string findingsList(const CheckedCompile& checked) {
  std::string list;
  for (const Warning& warning : checked.warnings) {
    if (!list.empty()) list += "\r\n\r\n";
    list += checked.source;
    list += ':';
    if (warning.line != 0) {
      list += std::to_string(warning.line);
      list += ':';
    }
    list += ' ';
    list += warning.text;
  }
  return list;
}

std::optional<std::string> pageOpenedBy(ControlId button) {
  switch (button) {
    case kCommand2:
    case kCommand4:
      return page(texts::kTranslationCenterPath);
    case kCommand3:
      return page(texts::kReferenceSourcePath);
    default:
      return std::nullopt;
  }
}

int pixelsFromTwips(int twips, int dpi) {
  return mulDiv(twips, dpi, kTwipsPerInch);
}

Pixels pixelsFromTwips(Twips at, int dpi) {
  return {pixelsFromTwips(at.left, dpi), pixelsFromTwips(at.top, dpi),
          pixelsFromTwips(at.width, dpi), pixelsFromTwips(at.height, dpi)};
}

int fontPixels(const Font& font, int dpi) {
  return mulDiv(font.centipoints, dpi, kCentipointsPerInch);
}

}  // namespace parlavox::form
