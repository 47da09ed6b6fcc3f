// dtuconfig: the configuration tool's window. Usage: dtuconfig [--port PATH]...

#include <clocale>
#include <cstdio>

#include "gui/window/config_app.h"

namespace {

void PrintUsage(const QString& usage) {
  std::fputs(usage.toLocal8Bit().constData(), stdout);
}

QStringList RawArguments(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  // The system's error texts (a port that cannot be opened, a file that cannot be written) in the
  // user's language where the system has them, as the rest of the window speaks it.
  std::setlocale(LC_MESSAGES, "");
  // The usage needs no display, so it is answered before the application starts.
  const dtu::ParsedArguments early = dtu::ConfigApp::ParseArguments(RawArguments(argc, argv));
  if (early.outcome == dtu::ParsedArguments::Outcome::Help) {
    PrintUsage(early.text);
    return 0;
  }

  dtu::ConfigApp app(argc, argv);  // takes Qt's own options (-platform ...) out of the arguments
  const dtu::ParsedArguments parsed = dtu::ConfigApp::ParseArguments(app.arguments());
  switch (parsed.outcome) {
    case dtu::ParsedArguments::Outcome::Help:
      PrintUsage(parsed.text);
      return 0;
    case dtu::ParsedArguments::Outcome::Error:
      std::fprintf(stderr, "dtuconfig: %s\nTry 'dtuconfig --help'.\n",
                   parsed.text.toLocal8Bit().constData());
      return 2;
    case dtu::ParsedArguments::Outcome::Run:
      break;
  }
  return app.Run(parsed.options);
}
