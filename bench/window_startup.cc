// Starts the tool as its main does and quits once the window is shown and
// its first events are handled: the whole process's run time is the time
// from exec to the window on screen, plus the exit.

#include <QApplication>
#include <QTimer>

#include "window/qt/application.h"
#include "window/qt/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  parlavox::prepareApplication(app);
  parlavox::Form1 form(parlavox::toolFolder());
  form.show();
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
  return QApplication::exec();
}
