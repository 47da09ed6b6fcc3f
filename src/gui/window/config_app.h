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
  // from the arguments, the program's name first.
  static ParsedArguments ParseArguments(const QStringList& arguments);

  // Shows the main window and returns when it has closed (the program's exit status).
  int Run(const ConfigOptions& options);
};

}  // namespace dtu
