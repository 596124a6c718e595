#include "window/qt/form1.h"

#include <QDesktopServices>
#include <QFile>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPalette>
#include <QStringDecoder>
#include <QStringList>
#include <QTextLayout>
#include <QUrl>
#include <string>
#include <string_view>
#include <utility>

#include "compiler/compile.h"
#include "version.h"
#include "window/texts.h"

namespace parlavox {

namespace {

// Client area and control geometry in twips, 15 to a logical pixel.
constexpr int kTwipsPerPixel = 15;

struct Twips {
  int left;
  int top;
  int width;
  int height;
};

constexpr Twips kClientArea{0, 0, 4245, 5805};

QRect pixels(Twips at) {
  return QRect(at.left / kTwipsPerPixel, at.top / kTwipsPerPixel,
               at.width / kTwipsPerPixel, at.height / kTwipsPerPixel);
}

QString text(const char* fixed) { return QString::fromUtf8(fixed); }

QFont sansFont(const char* family, bool bold) {
  QFont font(text(family));
  font.setPointSizeF(8.25);
  font.setBold(bold);
  return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* caption,
                  Twips at) {
  auto* label = new QLabel(text(caption), parent);
  label->setObjectName(text(name));
  label->setGeometry(pixels(at));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption,
                        Twips at) {
  auto* button = new QPushButton(text(caption), parent);
  button->setObjectName(text(name));
  button->setGeometry(pixels(at));
  return button;
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

}  // namespace

QString webPage(const char* path) {
  return QStringLiteral("http://") + text(PARLAVOX_WEB_HOST) + text(path);
}

QString textFromBytes(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

Form1::Form1(std::filesystem::path folder, QWidget* parent)
    : QWidget(parent), folder_(std::move(folder)) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(text(texts::kTitle));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(pixels(kClientArea).size());
  setFont(sansFont("MS Sans Serif", false));
  createControls();
  Form_Load();
}

void Form1::createControls() {
  // Creation order decides what a label shows where controls overlap.
  Command2 = makeButton(this, "Command2", texts::kTranslationCenter,
                        {435, 5430, 3330, 300});
  Command4 =
      makeButton(this, "Command4", texts::kCheckFirst, {480, 105, 3210, 495});
  Command3 =
      makeButton(this, "Command3", texts::kDownload, {2850, 765, 1110, 255});
  txtOut = new QLineEdit(text(texts::kDesignLanguage), this);
  txtOut->setObjectName(QStringLiteral("txtOut"));
  txtOut->setGeometry(pixels({1380, 3255, 1035, 285}));
  Command1 =
      makeButton(this, "Command1", texts::kCompile, {2820, 3240, 1260, 630});
  Label11 = makeLabel(this, "Label11", texts::kTxt, {2490, 3300, 720, 240});
  Label6[1] =
      makeLabel(this, "Label6_1", texts::kStep2Number, {180, 1110, 150, 195});
  Label1 = makeLabel(this, "Label1", "", {165, 4650, 3945, 705});
  Label9 = makeLabel(this, "Label9", texts::kStep6, {225, 3945, 3765, 645});
  Label8 = makeLabel(this, "Label8", texts::kStep5, {225, 3000, 1935, 225});
  Label7 = makeLabel(this, "Label7", texts::kStep4, {225, 2730, 2250, 195});
  Label6[0] =
      makeLabel(this, "Label6_0", texts::kStep3Number, {195, 1845, 150, 195});
  Label5 = makeLabel(this, "Label5", texts::kStep3, {420, 1845, 3615, 885});
  Label4 = makeLabel(this, "Label4", texts::kStep2, {420, 1110, 3780, 630});
  Label3 = makeLabel(this, "Label3", texts::kStep1, {195, 795, 2535, 225});
  lblOut =
      makeLabel(this, "lblOut", texts::kDesignOutput, {510, 3615, 3450, 225});
  Label2 = makeLabel(this, "Label2", texts::kLang, {870, 3300, 570, 255});

  Label1->setFont(sansFont("Tahoma", true));
  Label6[0]->setFont(sansFont("MS Sans Serif", true));
  lblOut->setFont(sansFont("MS Sans Serif", true));
  // Long names run on under "Compile", which hides them.
  lblOut->setWordWrap(false);

  Command2->setVisible(false);
  constexpr int kCaptionPadding = 8;
  Command4->setText(wrapped(Command4->text(), Command4->font(),
                            Command4->width() - kCaptionPadding));
  QPalette lightRed = Command4->palette();
  lightRed.setColor(QPalette::Button, QColor(255, 192, 192));
  Command4->setPalette(lightRed);

  // Buttons and the text box lie over the labels they overlap.
  txtOut->raise();
  for (QPushButton* button : {Command1, Command2, Command3, Command4}) {
    button->raise();
  }
  setTabOrder(Command1, txtOut);
  setTabOrder(txtOut, Command3);
  setTabOrder(Command3, Command4);
  setTabOrder(Command4, Command2);
  Command1->setFocus();

  connect(txtOut, &QLineEdit::textChanged, this, &Form1::txtOut_Change);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
}

void Form1::Form_Load() {
  txtOut_Change();
  setWindowTitle(windowTitle() + QStringLiteral(" v") +
                 QString::number(kVersionMajor) + QLatin1Char('.') +
                 QString::number(kVersionMinor));
}

void Form1::txtOut_Change() {
  lblOut->setText(text(texts::kOutputBefore) + txtOut->text() +
                  text(texts::kOutputAfter));
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
  Label1->setText(text(texts::kSuccessBefore) + name +
                  text(texts::kSuccessAfter));
  Command2->setVisible(true);
}

void Form1::Command2_Click() { browse(webPage(texts::kTranslationCenterPath)); }

void Form1::Command3_Click() { browse(webPage(texts::kReferenceSourcePath)); }

void Form1::Command4_Click() { browse(webPage(texts::kTranslationCenterPath)); }

void Form1::browse(const QString& webpage) {
  QDesktopServices::openUrl(QUrl(webpage));
}

}  // namespace parlavox
