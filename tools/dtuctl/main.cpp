// dtuctl: the command-line face of the configuration tool, for scripts and for trying it out.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "command_line/help_formatter.h"
#include "command_line/parse_problem.h"
#include "command_support.h"
#include "core/message_language.h"
#include "interrupt_signals.h"

namespace dtuctl {

std::vector<CommandEntry>& Commands() {
  static std::vector<CommandEntry> commands;
  return commands;
}

}  // namespace dtuctl

namespace {

// Where option descriptions start in a command's help.
constexpr std::size_t kHelpColumn = 22;

void Print(std::FILE* out, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

struct DefinedCommand {
  CLI::App* parser;
  std::unique_ptr<dtuctl::Command> command;
};

// The parser of the whole command line: one sub-command parser per registered command, in the
// order of their names. Only the command named by `chosen` declares its options: the others are
// needed only for the list of commands, and a short command should not pay for declaring all.
std::vector<DefinedCommand> DefineCommands(CLI::App& app, std::string_view chosen) {
  auto formatter = std::make_shared<dtu::cli::HelpFormatter>(kHelpColumn, true);
  dtu::cli::PrepareParser(app, formatter);
  app.description(dtu::Say("读取、写入和查看数据传输单元（DTU）的参数。",
                           "Reads, writes and examines the parameters of data transfer units."));
  app.footer(dtu::Say("'dtuctl COMMAND --help' 说明一个命令。",
                      "'dtuctl COMMAND --help' describes a command."));
  app.require_subcommand(0, 1);

  auto entries = dtuctl::Commands();
  std::ranges::sort(entries, {}, [](const dtuctl::CommandEntry& e) { return e.text.name; });
  std::vector<DefinedCommand> defined;
  for (const dtuctl::CommandEntry& entry : entries) {
    const dtuctl::CommandText& text = entry.text;
    CLI::App* parser = app.add_subcommand(std::string(text.name));
    formatter->Summarise(std::string(text.name), dtuctl::SummaryOf(text));
    if (text.name != chosen) continue;
    parser->description(dtuctl::DescriptionOf(text));
    parser->footer(dtuctl::FooterOf(text));
    std::unique_ptr<dtuctl::Command> command = entry.make();
    command->Define(*parser);
    dtu::cli::MoveHelpLast(*parser);
    defined.push_back({parser, std::move(command)});
  }
  return defined;
}

std::string UnknownCommand(const std::string& name) {
  return dtu::Say("没有命令 '" + name + "'", "unknown command '" + name + "'");
}

// Prints why the command line was refused, and the usage of the command it was for.
int Refuse(const CLI::App& app, const CLI::ParseError& error) {
  const auto& formatter = static_cast<const dtu::cli::HelpFormatter&>(*app.get_formatter());
  const auto& chosen = app.get_subcommands();
  if (chosen.empty()) {
    const std::vector<std::string> extras = app.remaining();
    const std::string problem =
        extras.empty() ? dtu::cli::DescribeParseError(app, error) : UnknownCommand(extras.front());
    Print(stderr, "dtuctl: " + problem + "\n\n" + app.help());
    return dtuctl::kExitFailure;
  }
  // The command the refusal is about: the deepest one chosen ("record report").
  const CLI::App* command = chosen.front();
  std::string name = "dtuctl " + command->get_name();
  while (!command->get_subcommands().empty()) {
    command = command->get_subcommands().front();
    name += " " + command->get_name();
  }
  std::string problem = dtu::cli::DescribeParseError(*command, error);
  if (!command->get_subcommands({}).empty()) {  // a command of commands ("record")
    const std::vector<std::string> extras = command->remaining();
    problem = extras.empty() ? dtu::Say("缺少命令 COMMAND", "missing COMMAND")
                             : UnknownCommand(extras.front());
  }
  Print(stderr, name + ": " + problem + "\n" + formatter.Usage(*command, name));
  return dtuctl::kExitFailure;
}

int Run(int argc, char** argv) {
  CLI::App app("", "dtuctl");
  std::vector<DefinedCommand> commands = DefineCommands(app, argc > 1 ? argv[1] : "");
  if (argc == 2 && std::string_view(argv[1]) == "help") {
    Print(stdout, app.help());
    return dtuctl::kExitOk;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    Print(stdout, app.help());
    return dtuctl::kExitOk;
  } catch (const CLI::ParseError& error) {
    return Refuse(app, error);
  }
  for (DefinedCommand& defined : commands) {
    if (defined.parser->parsed()) return defined.command->Run();
  }
  Print(stderr, app.help());
  return dtuctl::kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  // One language for every message of this run, from the user's locale.
  dtu::SetMessageLanguage(dtu::LanguageFromEnvironment());
  dtuctl::GuardStandardStreams();
  // A closed pipe shows as a failed write (EPIPE): a command saves its work and ends quietly
  // instead of being killed half-way.
  std::signal(SIGPIPE, SIG_IGN);
  // Likewise a file size limit (ulimit -f) shows as a failed write (EFBIG), which leaves the old
  // file as it was, instead of killing the command with its new file half written.
  std::signal(SIGXFSZ, SIG_IGN);
  int status = Run(argc, argv);
  if (status == dtuctl::kExitOk && dtuctl::StdoutLost()) status = dtuctl::kExitFailure;
  // A signal that ended a command early decides how it ended, once its port is closed.
  if (const int signal_number = dtuctl::InterruptSignals::Caught(); signal_number != 0)
    status = dtuctl::kExitBySignal + signal_number;
  return status;
}
