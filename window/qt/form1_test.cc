#include "window/qt/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QFontInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "compiler/files/test_folder.h"
#include "window/qt/controls.h"
#include "window/qt/findings_box.h"

// Shows a QString as text when an expectation fails.
void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace parlavox {

// Takes the addresses the window asks the system to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  UrlCatcher() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
  }
  ~UrlCatcher() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  }
  QStringList opened;
 public slots:
  void open(const QUrl& url) { opened << url.toString(); }
};

namespace {

const QString kSuccessText = QStringLiteral(
    "Successfully compiled lang.txt into LangDeutsch.lng \r\n"
    "Please post your file to our Translation center");

// What a message box showed before it was closed with OK.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() : form_(folder_.path()) {
    form_.show();
    QApplication::setActiveWindow(&form_);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form_));
  }

  // Runs `action`, closing and recording any modal message box it opens.
  std::optional<SeenBox> catchBox(const std::function<void()>& action) {
    std::optional<SeenBox> seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      seen = SeenBox{box->windowTitle(), box->text(), box->icon(),
                     box->standardButtons()};
      box->button(QMessageBox::Ok)->click();
    });
    watcher.start(10);
    action();
    QApplication::processEvents();
    return seen;
  }

  // Runs `action`, closing and recording a findings box it opens, with
  // `close` pressed on it (its OK, or a key); false when none opened.
  struct SeenFindings {
    QString title;
    QString summary;
    QString list;
    QString focus;  // the focused control's name
    bool okIsDefault = false;
  };
  std::optional<SeenFindings> catchFindings(const std::function<void()>& action,
                                            Qt::Key close = Qt::Key_unknown) {
    std::optional<SeenFindings> seen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* box = qobject_cast<FindingsBox*>(QApplication::activeModalWidget());
      // The keys go where the focus is once the box is the active window.
      if (box == nullptr || seen || QApplication::activeWindow() != box) return;
      seen = SeenFindings{box->windowTitle(), box->lblFindings->text(),
                          box->txtFindings->toPlainText(),
                          QApplication::focusWidget()->objectName(),
                          box->cmdOK->isDefault()};
      if (close == Qt::Key_unknown) {
        box->cmdOK->click();
      } else {
        QTest::keyClick(QApplication::focusWidget(), close);
      }
    });
    watcher.start(10);
    action();
    QApplication::processEvents();
    return seen;
  }

  void clickCompile() { QTest::mouseClick(form_.Command1, Qt::LeftButton); }

  void setName(const QString& name) { form_.txtOut->setText(name); }

  TestFolder folder_;
  Form1 form_;
};

TEST_F(Form1Test, StartState) {
  EXPECT_EQ(form_.windowTitle(), "Parlavox Localization Tool v0.2");
  EXPECT_EQ(form_.lblOut->text(), "Output: LangLanguage.lng");
  EXPECT_EQ(form_.txtOut->text(), "Language");
  EXPECT_FALSE(form_.Command2->isVisible());
  EXPECT_EQ(form_.Label1->text(), "");
  EXPECT_EQ(QApplication::focusWidget(), form_.Command1);
}

TEST_F(Form1Test, FrameIsFixedWithCloseBoxOnly) {
  EXPECT_EQ(form_.size(), QSize(283, 387));
  EXPECT_EQ(form_.minimumSize(), form_.maximumSize());
  const Qt::WindowFlags flags = form_.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(Form1Test, AMinimisedWindowStaysMinimised) {
  // The frame offers no minimise box, but where a window manager minimises
  // the window all the same, the user's choice stands.
  form_.setWindowState(Qt::WindowMinimized);
  QTest::qWait(200);
  EXPECT_TRUE(form_.isMinimized());
  form_.setWindowState(Qt::WindowNoState);
  EXPECT_FALSE(form_.isMinimized());
}

TEST_F(Form1Test, WindowShowsTheToolIconAtEachSizeDrawn) {
  EXPECT_EQ(form_.windowIcon().availableSizes(),
            (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}}));
  // Drawn, not blank: the 16-pixel image has the page's dark outline.
  const QImage small = form_.windowIcon().pixmap(16, 16).toImage();
  EXPECT_EQ(small.size(), QSize(16, 16));
  EXPECT_NE(small.pixelColor(1, 8).alpha(), 0);
  EXPECT_EQ(small.pixelColor(0, 0).alpha(), 0);
}

TEST_F(Form1Test, OutputNameFollowsEveryKeystroke) {
  form_.txtOut->clear();
  EXPECT_EQ(form_.lblOut->text(), "Output: Lang.lng");
  form_.txtOut->setFocus();
  QTest::keyClicks(form_.txtOut, "D");
  EXPECT_EQ(form_.lblOut->text(), "Output: LangD.lng");
  QTest::keyClicks(form_.txtOut, "e");
  EXPECT_EQ(form_.lblOut->text(), "Output: LangDe.lng");
  QTest::keyClick(form_.txtOut, Qt::Key_Backspace);
  EXPECT_EQ(form_.lblOut->text(), "Output: LangD.lng");
}

TEST_F(Form1Test, SuccessfulCompileShowsResultAndTranslationCenterButton) {
  folder_.write("langDeutsch.txt", "Charset | 0\r\n0 | Datei\r\n");
  setName("Deutsch");
  EXPECT_FALSE(catchBox([&] { clickCompile(); }).has_value());
  EXPECT_EQ(form_.Label1->text(), kSuccessText);
  EXPECT_TRUE(form_.Command2->isVisible());
  EXPECT_EQ(folder_.read("LangDeutsch.lng"), "0\r\nDatei\r\n");
}

TEST_F(Form1Test, FailedCompileShowsPlainMessageBoxAndChangesNothing) {
  setName("Nope");
  const std::optional<SeenBox> box = catchBox([&] { clickCompile(); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, "Parlavox Localization Tool");
  EXPECT_EQ(box->text, "File langNope.txt not found in this directory");
  EXPECT_EQ(box->icon, QMessageBox::NoIcon);
  EXPECT_EQ(box->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_EQ(form_.Label1->text(), "");
  EXPECT_FALSE(form_.Command2->isVisible());
  EXPECT_TRUE(folder_.names().empty());
}

TEST_F(Form1Test, LaterFailureKeepsResultAndButton) {
  folder_.write("langDeutsch.txt", "0 | Datei\r\n");
  setName("Deutsch");
  clickCompile();
  folder_.write("langDeutsch.txt", "0 | Datei\r\n0 | Datei\r\n");
  const std::optional<SeenBox> box = catchBox([&] { clickCompile(); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, "double entry for line number 0");
  EXPECT_EQ(form_.Label1->text(), kSuccessText);
  EXPECT_TRUE(form_.Command2->isVisible());
  EXPECT_EQ(folder_.read("LangDeutsch.lng"), "\r\nDatei\r\n");
}

TEST_F(Form1Test, MessagesKeepEveryByteOfTheSource) {
  folder_.write("langLatin.txt", "0 | a\r\n\xC4nderung | x\r\n");
  setName("Latin");
  std::optional<SeenBox> box = catchBox([&] { clickCompile(); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, QString::fromUtf8("string delimiter | missing in line "
                                         "\"\xC3\x84nderung | x\" (1)"));
  setName(
      QString::fromUtf8("Fran\xC3\xA7"
                        "ais"));
  box = catchBox([&] { clickCompile(); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, QString::fromUtf8("File langFran\xC3\xA7"
                                         "ais.txt not "
                                         "found in this directory"));
}

// `utf8` as Notepad saves it as UTF-16 LE: a mark, then two bytes a unit.
std::string utf16LittleEndian(const QString& text) {
  std::string bytes = "\xFF\xFE";
  for (const QChar unit : text) {
    bytes += static_cast<char>(unit.unicode() & 0xFF);
    bytes += static_cast<char>(unit.unicode() >> 8);
  }
  return bytes;
}

TEST_F(Form1Test, SourcesSavedAsNotepadSavesThemCompileToTheirCodePage) {
  // Polish as UTF-8 without a mark, Russian as UTF-16 LE, Japanese as UTF-8
  // with a mark; ソ and 表 have "\\" as second byte in Shift-JIS.
  folder_.write("langPolski.txt", "Charset | 238\r\n0 | Zażółć gęślą jaźń\r\n");
  folder_.write("langRusski.txt",
                utf16LittleEndian("Charset | 204\r\n0 | Привет, мир\r\n"));
  folder_.write("langNihongo.txt",
                "\xEF\xBB\xBF"
                "Charset | 128\r\n0 | ソフトを表示 // メニュー\r\n");
  for (const char* name : {"Polski", "Russki", "Nihongo"}) {
    setName(name);
    EXPECT_FALSE(catchBox([&] { clickCompile(); }).has_value()) << name;
  }
  EXPECT_EQ(folder_.read("LangPolski.lng"),
            "238\r\nZa\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n");
  EXPECT_EQ(folder_.read("LangRusski.lng"),
            "204\r\n\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n");
  EXPECT_EQ(folder_.read("LangNihongo.lng"),
            "128\r\n\x83\x5C\x83\x74\x83\x67\x82\xF0\x95\x5C\x8E\xA6\r\n");
}

TEST_F(Form1Test, CharacterWithoutPlaceIsShownWholeAndNothingIsWritten) {
  folder_.write("langMagyar.txt", "Charset | 0\r\n0 | Nyitás\r\n1 | Hő\r\n");
  setName("Magyar");
  const std::optional<SeenBox> box = catchBox([&] { clickCompile(); });
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text,
            QString::fromUtf8("character \"ő\" (U+0151) in line number 1 has "
                              "no place in Windows-1252, the code page of "
                              "Charset 0; every text fits Charset 238 "
                              "(Central European)"));
  EXPECT_FALSE(folder_.exists("LangMagyar.lng"));
}

// The English reference as the tool's folder holds it.
constexpr char kReference[] =
    "Charset | 0\r\n0 | &File\r\n1 | &Open lyrics... // menu item\r\n"
    "2 | &Save lyrics as %1 // %1 is the file type\r\n3 | %1 of %2\r\n";

TEST_F(Form1Test, FindingsShowAtOnceAfterTheSuccess) {
  // Saved as UTF-8 without a Charset line: the texts are written as read,
  // and the application shows "Ã³" for "ó".
  folder_.write("langPolski.txt", "0 | Otwórz\r\n1 | Zapisz jako… %1\r\n");
  setName("Polski");
  const std::optional<SeenFindings> seen =
      catchFindings([&] { clickCompile(); });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->title, "Parlavox Localization Tool");
  EXPECT_EQ(seen->summary,
            "LangPolski.lng was written, but Parlavox may show it wrong.\r\n"
            "2 findings in langPolski.txt:");
  EXPECT_EQ(seen->list,
            "langPolski.txt: without a Charset line the file is read as "
            "Western European, but Polish is written in Charset 238 (Central "
            "European)\n\n"
            "langPolski.txt:1: the file is saved as UTF-8, but without a "
            "Charset line it is read in Windows-1252 (ANSI, on a Western "
            "system): save it in that code page");
  EXPECT_TRUE(seen->okIsDefault);
  EXPECT_EQ(seen->focus, "cmdOK");
  // Behind the box the window says what it says after any compile.
  EXPECT_EQ(form_.Label1->text(),
            "Successfully compiled lang.txt into LangPolski.lng \r\n"
            "Please post your file to our Translation center");
  EXPECT_TRUE(form_.Command2->isVisible());
  EXPECT_EQ(folder_.read("LangPolski.lng"),
            "\r\nOtw\xC3\xB3rz\r\nZapisz jako\xE2\x80\xA6 %1\r\n");
}

TEST_F(Form1Test, TheReferenceBesideTheToolChecksPlaceholdersAndLineNumbers) {
  folder_.write("langEnglish.txt", kReference);
  folder_.write("langDeutsch.txt",
                "Charset | 0\r\n0 | &Datei\r\n1 | &Liedtext öffnen...\r\n"
                "// without its placeholder\r\n2 | &Liedtext speichern\r\n");
  setName("Deutsch");
  const std::optional<SeenFindings> seen =
      catchFindings([&] { clickCompile(); });
  ASSERT_TRUE(seen.has_value());
  EXPECT_EQ(seen->summary,
            "LangDeutsch.lng was written, but Parlavox may show it wrong.\r\n"
            "2 findings in langDeutsch.txt (the reference: langEnglish.txt):");
  EXPECT_EQ(seen->list,
            "langDeutsch.txt:5: line number 2 uses no placeholder where the "
            "reference uses %1\n\n"
            "langDeutsch.txt: line number 3 of the reference is missing");
}

TEST_F(Form1Test, ACleanCompileShowsNoBoxWithTheReferenceOrWithout) {
  folder_.write("langDeutsch.txt",
                "Charset | 0\r\n0 | &Datei\r\n1 | &Liedtext öffnen...\r\n"
                "2 | &Liedtext als %1 speichern\r\n3 | %2 von %1\r\n");
  setName("Deutsch");
  EXPECT_FALSE(catchFindings([&] { clickCompile(); }).has_value());
  folder_.write("langEnglish.txt", kReference);
  EXPECT_FALSE(catchFindings([&] { clickCompile(); }).has_value());
  EXPECT_EQ(form_.Label1->text(),
            "Successfully compiled lang.txt into LangDeutsch.lng \r\n"
            "Please post your file to our Translation center");
  // The reference itself is compiled without a check against itself, and
  // one that does not compile is passed over.
  setName("english");
  EXPECT_FALSE(catchFindings([&] { clickCompile(); }).has_value());
  folder_.write("langEnglish.txt", "0 | a\r\n0 | b\r\n");
  setName("Deutsch");
  EXPECT_FALSE(catchFindings([&] { clickCompile(); }).has_value());
}

TEST_F(Form1Test, ReturnOrEscapeClosesTheFindingsBoxFromAnyControl) {
  folder_.write("langX.txt", "0 | caf\xC3\xA9\r\n");
  setName("X");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    EXPECT_TRUE(catchFindings([&] { clickCompile(); }, key).has_value());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
  // From the list, where the focus goes with Tab.
  std::optional<QString> focused;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<FindingsBox*>(QApplication::activeModalWidget());
    if (box == nullptr || focused || QApplication::activeWindow() != box) {
      return;
    }
    QTest::keyClick(box->cmdOK, Qt::Key_Tab);
    focused = QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
  watcher.start(10);
  clickCompile();
  EXPECT_EQ(focused, "txtFindings");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Form1Test, NonAsciiNameCompilesIntoItsFile) {
  folder_.write(
      "langFran\xC3\xA7"
      "ais.txt",
      "0 | Fichier\r\n");
  setName(
      QString::fromUtf8("Fran\xC3\xA7"
                        "ais"));
  clickCompile();
  EXPECT_EQ(folder_.read("LangFran\xC3\xA7"
                         "ais.lng"),
            "\r\nFichier\r\n");
}

TEST_F(Form1Test, WebButtonsOpenTheirPages) {
  UrlCatcher catcher;
  folder_.write("langX.txt", "0 | x\r\n");
  setName("X");
  clickCompile();
  QTest::mouseClick(form_.Command2, Qt::LeftButton);
  QTest::mouseClick(form_.Command3, Qt::LeftButton);
  QTest::mouseClick(form_.Command4, Qt::LeftButton);
  EXPECT_EQ(
      catcher.opened,
      QStringList({"http://" PARLAVOX_WEB_HOST "/parlavox/transcenter.php",
                   "http://" PARLAVOX_WEB_HOST "/parlavox/LangEnglish.txt",
                   "http://" PARLAVOX_WEB_HOST "/parlavox/transcenter.php"}));
}

TEST_F(Form1Test, TabOrderWithAndWithoutTranslationCenterButton) {
  auto tabOnce = [] {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget();
  };
  ASSERT_EQ(QApplication::focusWidget(), form_.Command1);
  EXPECT_EQ(tabOnce(), form_.txtOut);
  EXPECT_EQ(tabOnce(), form_.Command3);
  EXPECT_EQ(tabOnce(), form_.Command4);
  EXPECT_EQ(tabOnce(), form_.Command1);

  folder_.write("langX.txt", "0 | x\r\n");
  setName("X");
  clickCompile();
  form_.Command1->setFocus();
  EXPECT_EQ(tabOnce(), form_.txtOut);
  EXPECT_EQ(tabOnce(), form_.Command3);
  EXPECT_EQ(tabOnce(), form_.Command4);
  EXPECT_EQ(tabOnce(), form_.Command2);
  EXPECT_EQ(tabOnce(), form_.Command1);
}

TEST_F(Form1Test, EnterInTheNameBoxStartsNothing) {
  folder_.write("langX.txt", "0 | x\r\n");
  setName("X");
  form_.txtOut->setFocus();
  const std::optional<SeenBox> box = catchBox([&] {
    QTest::keyClick(form_.txtOut, Qt::Key_Return);
    QTest::keyClick(form_.txtOut, Qt::Key_Enter);
  });
  EXPECT_FALSE(box.has_value());
  EXPECT_FALSE(folder_.exists("LangX.lng"));
  EXPECT_EQ(form_.Label1->text(), "");
}

TEST_F(Form1Test, ReturnOnAFocusedButtonClicksIt) {
  UrlCatcher catcher;
  folder_.write("langX.txt", "0 | x\r\n");
  setName("X");
  form_.Command1->setFocus();
  QTest::keyClick(form_.Command1, Qt::Key_Return);
  EXPECT_EQ(folder_.read("LangX.lng"), "\r\nx\r\n");
  EXPECT_TRUE(form_.Command2->isVisible());

  form_.Command3->setFocus();
  QTest::keyClick(form_.Command3, Qt::Key_Enter, Qt::KeypadModifier);
  form_.Command2->setFocus();
  QTest::keyClick(form_.Command2, Qt::Key_Return);
  EXPECT_EQ(
      catcher.opened,
      QStringList({"http://" PARLAVOX_WEB_HOST "/parlavox/LangEnglish.txt",
                   "http://" PARLAVOX_WEB_HOST "/parlavox/transcenter.php"}));
}

TEST_F(Form1Test, NoButtonIsTheDefaultButton) {
  for (QPushButton* button :
       {form_.Command1, form_.Command2, form_.Command3, form_.Command4}) {
    EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
  }
}

TEST_F(Form1Test, FocusFrameShowsOnCompileFromTheStart) {
  ASSERT_EQ(QApplication::focusWidget(), form_.Command1);
  const QImage focused = form_.Command1->grab().toImage();
  form_.txtOut->setFocus();
  const QImage unfocused = form_.Command1->grab().toImage();
  EXPECT_NE(focused, unfocused);
}

TEST_F(Form1Test, ButtonsAndTextBoxLieOverTheLabelsTheyOverlap) {
  // Where ".txt" reaches under "Compile", and the output name runs on.
  EXPECT_EQ(form_.childAt(200, 228), form_.Command1);
  EXPECT_EQ(form_.childAt(200, 248), form_.Command1);
  // Where "Lang" reaches into the name box.
  EXPECT_EQ(form_.childAt(94, 228), form_.txtOut);

  folder_.write("langX.txt", "0 | x\r\n");
  setName("X");
  QTest::mouseClick(form_.childAt(200, 248), Qt::LeftButton, {},
                    form_.Command1->mapFrom(&form_, QPoint(200, 248)));
  EXPECT_TRUE(folder_.exists("LangX.lng"));
}

TEST_F(Form1Test, EveryCaptionFitsItsControl) {
  for (QLabel* label :
       {form_.Label2, form_.Label3, form_.Label4, form_.Label5, form_.Label6[0],
        form_.Label6[1], form_.Label7, form_.Label8, form_.Label9,
        form_.Label11, form_.lblOut}) {
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, label->width(), 10000),
                                           Qt::TextWordWrap, label->text());
    EXPECT_LE(needed.height(), label->height())
        << label->objectName().toStdString();
    EXPECT_LE(needed.width(), label->width())
        << label->objectName().toStdString();
  }
  folder_.write("langDeutsch.txt", "0 | x\r\n");
  setName("Deutsch");
  clickCompile();
  const QRect result =
      QFontMetrics(form_.Label1->font())
          .boundingRect(QRect(0, 0, form_.Label1->width(), 10000),
                        Qt::TextWordWrap, form_.Label1->text());
  EXPECT_LE(result.height(), form_.Label1->height());

  for (QPushButton* button :
       {form_.Command1, form_.Command2, form_.Command3, form_.Command4}) {
    const QSize caption = QFontMetrics(button->font()).size(0, button->text());
    EXPECT_LE(caption.width(), button->width() - 4)
        << button->text().toStdString();
    EXPECT_LE(caption.height(), button->height())
        << button->text().toStdString();
  }
}

TEST_F(Form1Test, CheckButtonCaptionShowsWholeOnTwoLines) {
  const QString caption = form_.Command4->text();
  EXPECT_EQ(caption.count(QLatin1Char('\n')), 1);
  EXPECT_EQ(QString(caption).replace(QLatin1Char('\n'), QLatin1Char(' ')),
            "Check if somebody isn't translating for your language already!");
}

TEST_F(Form1Test, FontsAndWeights) {
  EXPECT_EQ(QFontInfo(form_.Label3->font()).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(form_.Label1->font()).family(), "Liberation Sans");
  EXPECT_EQ(form_.Label3->font().pointSizeF(), 8.25);
  EXPECT_TRUE(form_.Label6[0]->font().bold());
  EXPECT_FALSE(form_.Label6[1]->font().bold());
  EXPECT_TRUE(form_.lblOut->font().bold());
  EXPECT_TRUE(form_.Label1->font().bold());
  EXPECT_FALSE(form_.Label5->font().bold());
  EXPECT_FALSE(form_.Command1->font().bold());
}

TEST(TextFromBytesTest, Utf8WhereValidElseLatin1) {
  EXPECT_EQ(textFromBytes("Fran\xC3\xA7"
                          "ais"),
            QString::fromUtf8("Fran\xC3\xA7"
                              "ais"));
  EXPECT_EQ(textFromBytes("Fran\xE7"
                          "ais"),
            QString::fromUtf8("Fran\xC3\xA7"
                              "ais"));
  EXPECT_EQ(textFromBytes(std::string("a\0b", 3)),
            QString::fromLatin1("a\0b", 3));
}

}  // namespace
}  // namespace parlavox

#include "form1_test.moc"
