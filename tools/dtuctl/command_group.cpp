#include "command_group.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#include "command_line/help_formatter.h"

namespace dtuctl {

void CommandGroup::Define(CLI::App& parser) {
  parser.require_subcommand(1, 1);
  auto& formatter = static_cast<dtu::cli::HelpFormatter&>(*parser.get_formatter());
  auto entries = commands_;
  std::ranges::sort(entries, {}, [](const CommandEntry& e) { return e.text.name; });
  for (const CommandEntry& entry : entries) {
    CLI::App* sub = parser.add_subcommand(std::string(entry.text.name));
    formatter.Summarise(std::string(name_) + " " + std::string(entry.text.name),
                        SummaryOf(entry.text));
    sub->description(DescriptionOf(entry.text));
    sub->footer(FooterOf(entry.text));
    std::unique_ptr<Command> command = entry.make();
    command->Define(*sub);
    dtu::cli::MoveHelpLast(*sub);
    defined_.push_back({sub, std::move(command)});
  }
}

int CommandGroup::Run() {
  for (Defined& defined : defined_)
    if (defined.parser->parsed()) return defined.command->Run();
  return kExitFailure;
}

void GroupComplain(std::string_view group, std::string_view name, const std::string& problem) {
  const std::string line =
      "dtuctl " + std::string(group) + " " + std::string(name) + ": " + problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace dtuctl
