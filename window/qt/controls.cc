#include "window/qt/controls.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringList>
#include <QTextLayout>
#include <cstddef>

namespace parlavox {

namespace {

// `caption` broken at word boundaries into lines no wider than `width`, since
// a push button does not wrap its caption by itself.
QString wrapped(const QString& caption, const QFont& font, int width) {
  QTextLayout layout(caption, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid();
       line = layout.createLine()) {
    line.setLineWidth(width);
    lines << caption.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines.join(QLatin1Char('\n'));
}

// Return or Enter on a focused push button clicks it, as Space does: the
// window has no default button to take those keys.
class ReturnClicksButton : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != 0) return false;
    button->click();
    return true;
  }
};

QWidget* makeControl(QWidget* parent, const form::Control& control) {
  QWidget* widget = nullptr;
  switch (control.kind) {
    case form::Kind::kPushButton:
      widget = new QPushButton(fixedText(control.caption), parent);
      break;
    case form::Kind::kTextBox:
      widget = new QLineEdit(fixedText(control.caption), parent);
      break;
    case form::Kind::kLabel: {
      auto* label = new QLabel(fixedText(control.caption), parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(control.wraps);
      widget = label;
      break;
    }
    case form::Kind::kTextView: {
      auto* view = new QPlainTextEdit(fixedText(control.caption), parent);
      view->setReadOnly(true);
      // Read, not edited: the keys select and copy as the mouse does.
      view->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                    Qt::TextSelectableByKeyboard);
      view->setTabChangesFocus(true);
      view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
      view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      widget = view;
      break;
    }
  }
  widget->setObjectName(QString::fromStdString(form::objectName(control)));
  widget->setGeometry(logicalPixels(control.at));
  if (control.font != form::kWindowFont) widget->setFont(qtFont(control.font));
  if (control.background) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Button,
                     QColor(control.background->red, control.background->green,
                            control.background->blue));
    widget->setPalette(palette);
  }
  if (auto* button = qobject_cast<QPushButton*>(widget);
      button != nullptr && control.wraps) {
    constexpr int kCaptionPadding = 8;
    button->setText(wrapped(button->text(), button->font(),
                            button->width() - kCaptionPadding));
  }
  if (!control.visible) widget->setVisible(false);
  return widget;
}

}  // namespace

QString fixedText(std::string_view fixed) {
  return QString::fromUtf8(fixed.data(), static_cast<qsizetype>(fixed.size()));
}

QRect logicalPixels(form::Twips at) {
  const form::Pixels p = form::pixelsFromTwips(at, form::kStandardDpi);
  return {p.left, p.top, p.width, p.height};
}

QFont qtFont(form::FontId id) {
  const form::Font& described = form::kFonts.at(static_cast<std::size_t>(id));
  QFont font(fixedText(described.face));
  font.setPointSizeF(described.centipoints / 100.0);
  font.setWeight(static_cast<QFont::Weight>(described.weight));
  return font;
}

std::vector<QWidget*> makeControls(QWidget* parent,
                                   std::span<const form::Control> controls) {
  std::vector<QWidget*> widgets;
  widgets.reserve(controls.size());
  for (const form::Control& control : controls) {
    widgets.push_back(makeControl(parent, control));
  }
  // Later siblings lie over earlier ones; push buttons and the text boxes
  // lie over the labels they overlap.
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].kind != form::Kind::kLabel) widgets[i]->raise();
  }
  QWidget* previous = nullptr;
  auto* returnClicks = new ReturnClicksButton(parent);
  for (std::size_t i : form::tabOrderOf(controls)) {
    if (controls[i].kind == form::Kind::kLabel) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widgets[i]);
    previous = widgets[i];
    if (controls[i].kind == form::Kind::kPushButton) {
      widgets[i]->installEventFilter(returnClicks);
    }
  }
  return widgets;
}

QString textFromBytes(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

}  // namespace parlavox
