// The findings box: opened over Form1 after a compile that wrote its file
// and found what the translator should look at; how many, and each finding
// in full, the first on top. Built from form::kFindingsControls.

#ifndef PARLAVOX_WINDOW_QT_FINDINGS_BOX_H_
#define PARLAVOX_WINDOW_QT_FINDINGS_BOX_H_

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>

namespace parlavox {

class FindingsBox : public QDialog {
  Q_OBJECT

 public:
  // A box that says `summary` and lists `findings`, lines joined by CR LF.
  FindingsBox(const QString& summary, const QString& findings, QWidget* parent);

  QLabel* lblFindings;          // how many
  QPlainTextEdit* txtFindings;  // each in full
  QPushButton* cmdOK;
};

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_QT_FINDINGS_BOX_H_
