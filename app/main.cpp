#include <QApplication>

#include "engine/sikou.h"
#include "window/qt/syougiwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::unique_ptr<syougi::Computer> computer = syougi::makeComputer();
  syougi::SyougiWindow w(computer.get());
  w.show();
  return app.exec();
}
