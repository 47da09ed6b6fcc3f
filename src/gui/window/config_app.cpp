#include "gui/window/config_app.h"

#include <QCommandLineParser>
#include <QFile>

#include "core/product_info.h"
#include "gui/platform/app_images.h"
#include "gui/platform/qt_file_chooser.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/qt_translations.h"
#include "gui/platform/qt_user_messages.h"
#include "gui/window/main_config_dialog.h"

namespace dtu {
namespace {

constexpr const char* kUsage =
    "Usage: dtuconfig [--port PATH]... [FILE]\n"
    "\n"
    "Configures GPRS/SMS data transfer units (DTUs) over a serial port. FILE, a parameter\n"
    "file (*.MTS, *.bpp), is opened at start as the file menu opens it.\n"
    "\n"
    "Options:\n"
    "  --port PATH   also list the serial port PATH (a device, a /dev/serial/by-id/ or by-path/\n"
    "                link, a device's name such as ttyUSB0, serial:NUMBER for the adapter with\n"
    "                that serial number, or a pseudo-terminal); repeatable, the first one given\n"
    "                is selected\n"
    "  -h, --help    print this text\n";

}  // namespace

ConfigApp::ConfigApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("dtuconfig"));
  setApplicationVersion(FromUtf8(kVersionText));
  // Lets the desktop show the installed entry's name and icon for the running window.
  setDesktopFileName(FromUtf8(kDesktopFileName));
  setWindowIcon(AppIcon());
  // Without the translation package Qt's buttons stay English; the window works the same.
  InstallQtChineseTranslation(*this);
}

ParsedArguments ConfigApp::ParseArguments(const QStringList& arguments) {
  ParsedArguments parsed;
  const auto fail = [&parsed](const QString& complaint) {
    parsed.outcome = ParsedArguments::Outcome::Error;
    parsed.text = complaint;
    return parsed;
  };
  QCommandLineParser parser;
  const QCommandLineOption help_option({QStringLiteral("h"), QStringLiteral("help")},
                                       QStringLiteral("Print this text."));
  const QCommandLineOption port_option(
      QStringLiteral("port"),
      QStringLiteral("Also list the serial port PATH (repeatable); the first one given is "
                     "selected."),
      QStringLiteral("PATH"));
  parser.addOption(help_option);
  parser.addOption(port_option);
  if (!parser.parse(arguments)) return fail(parser.errorText());
  if (parser.isSet(help_option)) {
    parsed.outcome = ParsedArguments::Outcome::Help;
    parsed.text = QString::fromUtf8(kUsage);
    return parsed;
  }
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) return fail(QStringLiteral("Unexpected argument '%1'.").arg(files[1]));
  if (!files.isEmpty()) {
    if (files.front().isEmpty()) return fail(QStringLiteral("The file name is empty."));
    parsed.options.file = std::filesystem::path(QFile::encodeName(files.front()).toStdString());
  }
  for (const QString& port : parser.values(port_option)) {
    if (port.trimmed().isEmpty()) return fail(QStringLiteral("--port needs a path."));
    parsed.options.ports.push_back(port.toStdString());
  }
  return parsed;
}

int ConfigApp::Run(const ConfigOptions& options) {
  QtUserMessages messages;
  QtFileChooser files;
  MainWindowEnvironment environment;
  environment.extra_ports = options.ports;
  environment.start_file = options.file;
  MainConfigDialog window(messages, files, std::move(environment));
  messages.setOwner(&window);
  files.setOwner(&window);
  window.exec();  // closing the window, however, ends the program normally
  return 0;
}

}  // namespace dtu
