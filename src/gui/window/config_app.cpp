#include "gui/window/config_app.h"

#include <QCommandLineParser>
#include <QFile>

#include "core/product_info.h"
#include "gui/platform/app_images.h"
#include "gui/platform/qt_file_chooser.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/qt_translations.h"
#include "gui/platform/qt_user_messages.h"
#include "gui/production/production_window.h"
#include "gui/window/main_config_dialog.h"

namespace dtu {
namespace {

constexpr const char* kUsage =
    "Usage: dtuconfig [--port PATH]... [FILE]\n"
    "       dtuconfig --production [--template T] [--units U.csv] [--record DEST] [--port DEV]...\n"
    "\n"
    "Configures GPRS/SMS data transfer units (DTUs) over a serial port. FILE, a parameter\n"
    "file (*.MTS, *.bpp), is opened at start as the file menu opens it.\n"
    "\n"
    "Options:\n"
    "  --port PATH   also list the serial port PATH (a device, a /dev/serial/by-id/ or by-path/\n"
    "                link, a device's name such as ttyUSB0, serial:NUMBER for the adapter with\n"
    "                that serial number, or a pseudo-terminal); repeatable, the first one given\n"
    "                is selected\n"
    "  --production  the production window: every unit plugged into a chosen port gets the\n"
    "                template T with its row of the units' table U.csv, kept in the record\n"
    "                DEST (an SQLite file, by default beside the table, or a PostgreSQL\n"
    "                connection); the choices given are filled in, \"开始\" starts\n"
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
  const QCommandLineOption production_option(QStringLiteral("production"),
                                             QStringLiteral("The production window."));
  const QCommandLineOption template_option(QStringLiteral("template"),
                                           QStringLiteral("The production run's template."),
                                           QStringLiteral("T"));
  const QCommandLineOption units_option(QStringLiteral("units"),
                                        QStringLiteral("The production run's units' table."),
                                        QStringLiteral("U.csv"));
  const QCommandLineOption record_option(
      QStringLiteral("record"), QStringLiteral("The production record."), QStringLiteral("DEST"));
  parser.addOption(help_option);
  parser.addOption(port_option);
  for (const QCommandLineOption* option :
       {&production_option, &template_option, &units_option, &record_option})
    parser.addOption(*option);
  if (!parser.parse(arguments)) return fail(parser.errorText());
  if (parser.isSet(help_option)) {
    parsed.outcome = ParsedArguments::Outcome::Help;
    parsed.text = QString::fromUtf8(kUsage);
    return parsed;
  }
  const QStringList files = parser.positionalArguments();
  parsed.options.production = parser.isSet(production_option);
  for (const QCommandLineOption* option : {&template_option, &units_option, &record_option})
    if (parser.isSet(*option) && !parsed.options.production)
      return fail(QStringLiteral("--%1 goes with --production.").arg(option->names().front()));
  if (parsed.options.production && !files.isEmpty())
    return fail(QStringLiteral("Unexpected argument '%1'.").arg(files.front()));
  parsed.options.template_path = QFile::encodeName(parser.value(template_option)).toStdString();
  parsed.options.units_path = QFile::encodeName(parser.value(units_option)).toStdString();
  parsed.options.record = parser.value(record_option).toStdString();
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
  if (options.production) {
    ProductionEnvironment environment;
    environment.given.template_path = options.template_path;
    environment.given.units_path = options.units_path;
    environment.given.record = options.record;
    environment.given.ports = options.ports;
    ProductionWindow window(messages, files, std::move(environment));
    messages.setOwner(&window);
    files.setOwner(&window);
    window.exec();
    return 0;
  }
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
