#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace dtu::cli {

// Help in the tools' own layout, generated from what a parser declares:
//
//   usage: dtuctl read --port DEV [--baud N] [-o FILE]
//
//   <the parser's description>
//
//     --port DEV          <the option's description; each further line of it starts
//                         in the same column>
//     -o, --output FILE   ...
//
//   <the parser's footer, e.g. the exit statuses>
//
// Options of the default group are listed without a heading, those of any other group under
// "group:". A parser with sub-commands gets "usage: NAME COMMAND [ARGS...]" and a list of its
// commands, one line each with the summary given for it.
class HelpFormatter : public CLI::Formatter {
 public:
  // `column`: where option descriptions start. `list_options_in_usage`: the usage line names
  // every option (a command with a handful of them) or only says [OPTIONS] (a program with many).
  HelpFormatter(std::size_t column, bool list_options_in_usage);

  // The one line the command list shows for `command` ("export", or "record export" for a
  // command of a command).
  void Summarise(const std::string& command, std::string summary);

  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override;

  // The usage line alone, "usage: ..." and a line end; also what a refused command line shows.
  std::string Usage(const CLI::App& app, const std::string& name) const;

 private:
  std::string CommandList(const CLI::App& app, const std::string& name) const;
  std::string OptionLines(const CLI::App& app) const;
  std::string OptionLine(const CLI::Option& option) const;

  std::size_t column_;
  bool list_options_in_usage_;
  std::map<std::string, std::string> summaries_;
};

// The usage form of an option or operand: "--port DEV", "[-o FILE]", "FILE", "[FILE|-]".
std::string UsageItem(const CLI::Option& option);

// Sets a parser up the tools' way: options may be given more than once (the last counts), help
// as "-h, --help" in `formatter`'s layout. Call it before declaring the parser's options, and
// MoveHelpLast() after them.
void PrepareParser(CLI::App& app, std::shared_ptr<HelpFormatter> formatter);

// Puts "-h, --help  print this text" after the options declared so far, in `group`.
void MoveHelpLast(CLI::App& app, const std::string& group = "Options");

}  // namespace dtu::cli
