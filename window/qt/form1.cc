#include "window/qt/form1.h"

#include <QDesktopServices>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPalette>
#include <QStringDecoder>
#include <QStringList>
#include <QTextLayout>
#include <QUrl>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "compiler/compile.h"
#include "window/form.h"
#include "window/texts.h"

namespace parlavox {

namespace {

QString text(std::string_view fixed) {
  return QString::fromUtf8(fixed.data(), static_cast<qsizetype>(fixed.size()));
}

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

// Qt scales logical pixels to the screen by itself, so the layout is laid
// out at the dots per inch where a logical pixel is 15 twips.
QRect pixels(form::Twips at) {
  const form::Pixels p = form::pixelsFromTwips(at, form::kStandardDpi);
  return {p.left, p.top, p.width, p.height};
}

QFont qtFont(form::FontId id) {
  const form::Font& described = form::kFonts.at(static_cast<std::size_t>(id));
  QFont font(text(described.face));
  font.setPointSizeF(described.centipoints / 100.0);
  font.setWeight(static_cast<QFont::Weight>(described.weight));
  return font;
}

// The address the push button `button` opens.
QString page(form::ControlId button) {
  return text(form::pageOpenedBy(button).value_or(std::string()));
}

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
      widget = new QPushButton(text(control.caption), parent);
      break;
    case form::Kind::kTextBox:
      widget = new QLineEdit(text(control.caption), parent);
      break;
    case form::Kind::kLabel: {
      auto* label = new QLabel(text(control.caption), parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(control.wraps);
      widget = label;
      break;
    }
  }
  widget->setObjectName(QString::fromStdString(form::objectName(control)));
  widget->setGeometry(pixels(control.at));
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

QString textFromBytes(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

Form1::Form1(std::filesystem::path folder, QWidget* parent)
    : QWidget(parent), folder_(std::move(folder)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(text(form::kCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(pixels(form::kClientArea).size());
  setFont(qtFont(form::kWindowFont));
  createControls();
  Form_Load();
}

void Form1::createControls() {
  std::array<QWidget*, form::kControlCount> controls{};
  for (std::size_t id = 0; id < form::kControlCount; ++id) {
    controls.at(id) = makeControl(this, form::kControls.at(id));
  }
  // Later siblings lie over earlier ones; push buttons and the text box lie
  // over the labels they overlap.
  for (std::size_t id = 0; id < form::kControlCount; ++id) {
    if (form::kControls.at(id).kind != form::Kind::kLabel) {
      controls.at(id)->raise();
    }
  }
  QWidget* previous = nullptr;
  for (form::ControlId id : form::tabOrder()) {
    if (form::kControls.at(id).kind == form::Kind::kLabel) continue;
    if (previous != nullptr) setTabOrder(previous, controls.at(id));
    previous = controls.at(id);
  }

  auto button = [&](form::ControlId id) {
    return qobject_cast<QPushButton*>(controls.at(id));
  };
  auto label = [&](form::ControlId id) {
    return qobject_cast<QLabel*>(controls.at(id));
  };
  Command1 = button(form::kCommand1);
  Command2 = button(form::kCommand2);
  Command3 = button(form::kCommand3);
  Command4 = button(form::kCommand4);
  txtOut = qobject_cast<QLineEdit*>(controls.at(form::kTxtOut));
  lblOut = label(form::kLblOut);
  Label1 = label(form::kLabel1);
  Label2 = label(form::kLabel2);
  Label3 = label(form::kLabel3);
  Label4 = label(form::kLabel4);
  Label5 = label(form::kLabel5);
  Label6 = {label(form::kLabel6_0), label(form::kLabel6_1)};
  Label7 = label(form::kLabel7);
  Label8 = label(form::kLabel8);
  Label9 = label(form::kLabel9);
  Label11 = label(form::kLabel11);

  auto* returnClicks = new ReturnClicksButton(this);
  for (QPushButton* each : {Command1, Command2, Command3, Command4}) {
    each->installEventFilter(returnClicks);
  }

  Command1->setFocus();

  connect(txtOut, &QLineEdit::textChanged, this, &Form1::txtOut_Change);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The focus frame shows on "Compile" from the start, as after a Tab: the
  // style draws it only in a window whose focus the keyboard moved, a mark
  // that showing the window clears.
  setAttribute(Qt::WA_KeyboardFocusChange);
}

void Form1::Form_Load() {
  txtOut_Change();
  setWindowTitle(text(form::captionWithVersion(utf8(windowTitle()))));
}

void Form1::txtOut_Change() {
  lblOut->setText(text(form::outputText(utf8(txtOut->text()))));
}

void Form1::Command1_Click() {
  const QString name = txtOut->text();
  const QByteArray nameBytes = QFile::encodeName(name);
  const CompileResult result = compileLanguage(
      folder_, std::string_view(nameBytes.constData(),
                                static_cast<std::size_t>(nameBytes.size())));
  if (!result.ok()) {
    QMessageBox box(QMessageBox::NoIcon, text(texts::kTitle),
                    textFromBytes(result.message()), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return;
  }
  Label1->setText(text(form::successText(utf8(name))));
  Command2->setVisible(true);
}

void Form1::Command2_Click() { browse(page(form::kCommand2)); }

void Form1::Command3_Click() { browse(page(form::kCommand3)); }

void Form1::Command4_Click() { browse(page(form::kCommand4)); }

void Form1::browse(const QString& webpage) {
  QDesktopServices::openUrl(QUrl(webpage));
}

}  // namespace parlavox
