// Form1, the tool's one window: six numbered steps for the translator, the
// language-name box, the output name, the compile result and the buttons to
// the translation project's web pages. Its slots are its behaviour.

#ifndef PARLAVOX_WINDOW_QT_FORM1_H_
#define PARLAVOX_WINDOW_QT_FORM1_H_

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <array>
#include <filesystem>

namespace parlavox {

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // A window that compiles the language sources of `folder`.
  explicit Form1(std::filesystem::path folder, QWidget* parent = nullptr);

  // The controls, under their own names.
  QPushButton* Command1;  // "Compile"
  QPushButton* Command2;  // "Go to Translation Center", shown after a compile
  QPushButton* Command3;  // "...": the reference source
  QPushButton* Command4;  // "Check if somebody isn't translating ..."
  QLineEdit* txtOut;      // the language name
  QLabel* lblOut;         // the output file's name
  QLabel* Label1;         // the compile result
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  std::array<QLabel*, 2> Label6;  // step numbers "3." (0) and "2." (1)
  QLabel* Label7;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* Label11;

 public slots:
  void Form_Load();
  void txtOut_Change();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();

  // Opens `webpage` in the system's default browser; a failure shows nothing.
  void browse(const QString& webpage);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void createControls();

  std::filesystem::path folder_;
};

}  // namespace parlavox

#endif  // PARLAVOX_WINDOW_QT_FORM1_H_
