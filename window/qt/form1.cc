#include "window/qt/form1.h"

#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrl>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/checked_compile.h"
#include "window/form.h"
#include "window/qt/controls.h"
#include "window/qt/findings_box.h"
#include "window/texts.h"

namespace parlavox {

namespace {

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

// The address the push button `button` opens.
QString page(form::ControlId button) {
  return fixedText(form::pageOpenedBy(button).value_or(std::string()));
}

}  // namespace

Form1::Form1(std::filesystem::path folder, QWidget* parent)
    : QWidget(parent), folder_(std::move(folder)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(fixedText(form::kCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(logicalPixels(form::kClientArea).size());
  setFont(qtFont(form::kWindowFont));
  createControls();
  Form_Load();
}

void Form1::createControls() {
  const std::vector<QWidget*> controls = makeControls(this, form::kControls);
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
  setWindowTitle(fixedText(form::captionWithVersion(utf8(windowTitle()))));
}

void Form1::txtOut_Change() {
  lblOut->setText(fixedText(form::outputText(utf8(txtOut->text()))));
}

void Form1::Command1_Click() {
  const QString name = txtOut->text();
  const QByteArray nameBytes = QFile::encodeName(name);
  const CheckedCompile checked = compileAndCheck(
      folder_, std::string_view(nameBytes.constData(),
                                static_cast<std::size_t>(nameBytes.size())));
  if (!checked.result.ok()) {
    QMessageBox box(QMessageBox::NoIcon, fixedText(texts::kTitle),
                    textFromBytes(checked.result.message()), QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return;
  }
  Label1->setText(fixedText(form::successText(utf8(name))));
  Command2->setVisible(true);
  if (!checked.warnings.empty()) {
    FindingsBox box(textFromBytes(form::findingsSummary(utf8(name), checked)),
                    textFromBytes(form::findingsList(checked)), this);
    box.exec();
  }
}

void Form1::Command2_Click() { browse(page(form::kCommand2)); }

void Form1::Command3_Click() { browse(page(form::kCommand3)); }

void Form1::Command4_Click() { browse(page(form::kCommand4)); }

void Form1::browse(const QString& webpage) {
  QDesktopServices::openUrl(QUrl(webpage));
}

}  // namespace parlavox
