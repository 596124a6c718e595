#include <QApplication>
#include <csignal>

#include "window/qt/application.h"
#include "window/qt/form1.h"

int main(int argc, char** argv) {
#if defined(SIGXFSZ)
  // Past a file size limit the compile's write fails and is shown, instead
  // of the signal ending the window.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  QApplication app(argc, argv);
  parlavox::prepareApplication(app);
  parlavox::Form1 form(parlavox::toolFolder());
  form.show();
  return QApplication::exec();
}
