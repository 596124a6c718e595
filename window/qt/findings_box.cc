#include "window/qt/findings_box.h"

#include <vector>

#include "window/form.h"
#include "window/qt/controls.h"
#include "window/texts.h"

namespace parlavox {

FindingsBox::FindingsBox(const QString& summary, const QString& findings,
                         QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmFindings"));
  setWindowTitle(fixedText(texts::kTitle));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(logicalPixels(form::kFindingsClientArea).size());
  setFont(qtFont(form::kWindowFont));
  const std::vector<QWidget*> controls =
      makeControls(this, form::kFindingsControls);
  lblFindings = qobject_cast<QLabel*>(controls.at(form::kLblFindings));
  txtFindings = qobject_cast<QPlainTextEdit*>(controls.at(form::kTxtFindings));
  cmdOK = qobject_cast<QPushButton*>(controls.at(form::kCmdOK));

  // Qt ends a line with LF; the description's texts end theirs in CR LF.
  QString list = findings;
  list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lblFindings->setText(summary);
  txtFindings->setPlainText(list);
  // Return presses OK, also from the list; Escape closes the box as well.
  cmdOK->setDefault(true);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  cmdOK->setFocus();
}

}  // namespace parlavox
