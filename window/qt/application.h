// What the tool sets up before its window opens: the style, the fonts that
// stand in for faces the system lacks, the desktop entry and the icon.

#ifndef PARLAVOX_WINDOW_QT_APPLICATION_H_
#define PARLAVOX_WINDOW_QT_APPLICATION_H_

#include <QApplication>
#include <filesystem>

namespace parlavox {

// Gives `app` the tool's name, desktop entry, icon, style and font
// substitutes.
void prepareApplication(QApplication& app);

// The folder that holds the tool's executable.
std::filesystem::path toolFolder();

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_QT_APPLICATION_H_
