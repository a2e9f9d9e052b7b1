#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "engine/sikou.h"
#include "link/termios_port.h"
#include "window/qt/soujuu.h"
#include "window/qt/syougiwindow.h"

namespace {

// The book installed with the program: beside it as installed, wherever the
// tree was put, else where the build meant to install it.
std::string installedBook() {
  const std::filesystem::path near =
      std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / SYOUGI_BOOK_FROM_BIN;
  std::error_code ec;
  if (std::filesystem::exists(near, ec)) return near.lexically_normal().string();
  return SYOUGI_INSTALLED_BOOK;
}

}  // namespace

// syougi [--port DEVICE | tcp:HOST:PORT | tcp-listen:PORT] [--drive] [FILE]
// FILE: a saved record to open at start.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string device = syougi::TermiosPort::kPort1;
  bool drive = false;
  QString file;
  const QStringList args = app.arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == "--port" && i + 1 < args.size()) {
      device = args[++i].toStdString();
    } else if (args[i] == "--drive") {
      drive = true;
    } else if (!args[i].startsWith("--") && file.isEmpty()) {
      file = args[i];
    } else {
      std::fprintf(stderr, "usage: syougi [--port DEVICE | tcp:HOST:PORT | tcp-listen:PORT] [--drive] [FILE]\n");
      return 2;
    }
  }
  std::unique_ptr<syougi::Computer> computer = syougi::makeComputer();
  // "joseki.lis" in the working folder first, as ever.
  computer->setInstalledBook(installedBook());
  syougi::SyougiWindow w(computer.get(), nullptr, device);
  if (drive) new syougi::Soujuu(w, 0, stdout);
  w.show();
  // Inside the event loop, so that a refusal's box is one the driver sees.
  if (!file.isEmpty()) QTimer::singleShot(0, &w, [&w, file] { w.flow().hiraku(file.toStdString()); });
  return app.exec();
}
