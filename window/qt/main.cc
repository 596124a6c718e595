#include <QApplication>

#include "window/qt/application.h"
#include "window/qt/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  parlavox::prepareApplication(app);
  parlavox::Form1 form(parlavox::toolFolder());
  form.show();
  return QApplication::exec();
}
