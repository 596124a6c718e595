// The controls of the window description made as Qt widgets: the one place
// where a form::Control becomes a widget, for Form1 and the findings box
// alike.

#ifndef PARLAVOX_WINDOW_QT_CONTROLS_H_
#define PARLAVOX_WINDOW_QT_CONTROLS_H_

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/form.h"

namespace parlavox {

// A fixed text of the program, which is UTF-8.
QString fixedText(std::string_view fixed);

// `at` in Qt's logical pixels: Qt scales those to the screen by itself, so
// the layout is laid out at the dots per inch where a pixel is 15 twips.
QRect logicalPixels(form::Twips at);

QFont qtFont(form::FontId id);

// The widgets of `controls` on `parent`, in the same order: each at its
// place, with its font, caption and visibility; push buttons and text boxes
// above the labels they overlap; the focus moving in the tab order.
std::vector<QWidget*> makeControls(QWidget* parent,
                                   std::span<const form::Control> controls);

// `bytes` as text: UTF-8 where they are valid UTF-8, else Latin-1, so that
// no byte is lost.
QString textFromBytes(const std::string& bytes);

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_QT_CONTROLS_H_
