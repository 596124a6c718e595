// The findings box: opened over Form1 after a compile that wrote its file
// and found what the translator should look at; how many, and each finding
// in full, the first on top. A modal dialog of the system's, built from
// form::kFindingsControls rather than from a resource.

#ifndef PARLAVOX_WINDOW_WIN32_FINDINGS_BOX_H_
#define PARLAVOX_WINDOW_WIN32_FINDINGS_BOX_H_

#include <windows.h>

#include <string>

namespace parlavox {

// Shows the box over `owner`, saying `summary` and listing `findings` (lines
// joined by CR LF); returns when the translator has closed it.
void showFindings(HWND owner, const std::wstring& summary,
                  const std::wstring& findings);

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_WIN32_FINDINGS_BOX_H_
