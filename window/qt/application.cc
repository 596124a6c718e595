#include "window/qt/application.h"

#include <QFile>
#include <QFont>
#include <QIcon>
#include <QStringList>
#include <QStyleFactory>

#include "window/texts.h"

namespace parlavox {

void prepareApplication(QApplication& app) {
  QApplication::setApplicationName(QString::fromUtf8(texts::kTitle));
  QGuiApplication::setDesktopFileName(
      QStringLiteral("parlavox-localization-tool"));
  // The window and its message boxes show the tool's icon in their title
  // bars and the task list, at each size drawn for it.
  QIcon icon;
  for (int size : {16, 32, 48, 256}) {
    icon.addFile(
        QStringLiteral(":/icon/parlavox-localization-tool-%1.png").arg(size),
        QSize(size, size));
  }
  QApplication::setWindowIcon(icon);
  // Fusion draws a button in its palette colour on every platform.
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // Liberation Sans has the metrics the layout was drawn for; the faces after
  // it are the nearest that are commonly installed.
  const QStringList substitutes = {
      QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
      QStringLiteral("Arial"), QStringLiteral("Helvetica"),
      QStringLiteral("DejaVu Sans")};
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), substitutes);
  QFont::insertSubstitutions(QStringLiteral("Tahoma"), substitutes);
}

std::filesystem::path toolFolder() {
  const QString folder = QCoreApplication::applicationDirPath();
#ifdef _WIN32
  return std::filesystem::path(folder.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(folder).toStdString());
#endif
}

}  // namespace parlavox
