#pragma once

#include <QApplication>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dtu {

// What the command line asks for.
struct ConfigOptions {
  std::vector<std::string> ports;             // --port PATH, in the order given
  std::optional<std::filesystem::path> file;  // FILE: the parameter file to open at start
  // --production: the production window instead of the configuration window, with the choices
  // given (--template, --units, --record; the ports from --port).
  bool production = false;
  std::string template_path;
  std::string units_path;
  std::string record;
};

struct ParsedArguments {
  enum class Outcome { Run, Help, Error };
  Outcome outcome = Outcome::Run;
  ConfigOptions options;  // for Run
  QString text;           // the usage for Help, the complaint for Error
};

// The application object: the Qt application, the program's icon, and the one main window,
// which it shows modally; the program ends when that window closes.
class ConfigApp : public QApplication {
  Q_OBJECT

 public:
  ConfigApp(int& argc, char** argv);

  // Reads "--port PATH" (repeatable; "--port=PATH" too), --help and at most one parameter FILE
  // from the arguments, the program's name first; or --production with its choices.
  static ParsedArguments ParseArguments(const QStringList& arguments);

  // Shows the main window and returns when it has closed (the program's exit status).
  int Run(const ConfigOptions& options);
};

}  // namespace dtu
