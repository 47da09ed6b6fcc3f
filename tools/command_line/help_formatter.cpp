#include "command_line/help_formatter.h"

#include <utility>
#include <vector>

#include "core/message_language.h"
#include "core/text/utf8_text.h"

namespace dtu::cli {
namespace {

// Usage lines are wrapped before this width; continuation lines start under the first item.
constexpr std::size_t kUsageWidth = 90;
constexpr std::string_view kDefaultGroup = "Options";

std::string Names(const CLI::Option& option) {
  std::string names;
  for (const std::string& name : option.get_snames()) names += (names.empty() ? "-" : ", -") + name;
  for (const std::string& name : option.get_lnames())
    names += (names.empty() ? "--" : ", --") + name;
  return names;
}

// The value an option takes, as help shows it ("DEV", "N|O|E"); empty for a flag.
std::string ValueText(const CLI::Option& option) {
  if (option.get_expected_max() == 0) return {};
  return option.get_option_text().empty() ? std::string("VALUE") : option.get_option_text();
}

// `text` with every line after the first indented by `indent` spaces.
std::string IndentFollowingLines(const std::string& text, std::size_t indent) {
  std::string indented;
  for (const char c : text) {
    indented.push_back(c);
    if (c == '\n') indented.append(indent, ' ');
  }
  return indented;
}

std::string Paragraph(const std::string& text) {
  return text.empty() ? std::string() : "\n" + text + (text.ends_with('\n') ? "" : "\n");
}

}  // namespace

std::string UsageItem(const CLI::Option& option) {
  std::string item;
  if (option.get_positional()) {
    item = option.get_option_text().empty() ? option.get_name() : option.get_option_text();
  } else {
    const auto& shorts = option.get_snames();
    item = shorts.empty() ? "--" + option.get_lnames().front() : "-" + shorts.front();
    if (const std::string value = ValueText(option); !value.empty()) item += " " + value;
  }
  return option.get_required() ? item : "[" + item + "]";
}

HelpFormatter::HelpFormatter(std::size_t column, bool list_options_in_usage)
    : column_(column), list_options_in_usage_(list_options_in_usage) {}

void HelpFormatter::Summarise(const std::string& command, std::string summary) {
  summaries_[command] = std::move(summary);
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string name,
                                     CLI::AppFormatMode) const {
  if (!app->get_subcommands({}).empty()) return CommandList(*app, name);
  return Usage(*app, name) + Paragraph(app->get_description()) + OptionLines(*app) +
         Paragraph(app->get_footer());
}

std::string HelpFormatter::Usage(const CLI::App& app, const std::string& name) const {
  std::string usage = Say("用法：", "usage: ") + name;
  if (!app.get_subcommands({}).empty()) return usage + " COMMAND [ARGS...]\n";
  std::vector<std::string> items;
  const std::vector<const CLI::Option*> options = app.get_options();
  if (list_options_in_usage_) {
    for (const CLI::Option* option : options) {
      if (!option->get_positional() && option != app.get_help_ptr())
        items.push_back(UsageItem(*option));
    }
  } else if (options.size() > 1) {
    items.emplace_back("[OPTIONS]");
  }
  for (const CLI::Option* option : options) {
    if (option->get_positional()) items.push_back(UsageItem(*option));
  }
  const std::size_t indent = TerminalColumns(usage) + 1;
  std::size_t line_start = 0;
  for (const std::string& item : items) {
    if (usage.size() - line_start + 1 + item.size() > kUsageWidth && usage.size() > indent) {
      usage += "\n";
      line_start = usage.size();
      usage.append(indent - 1, ' ');
    }
    usage += " " + item;
  }
  return usage + "\n";
}

std::string HelpFormatter::CommandList(const CLI::App& app, const std::string& name) const {
  std::string list =
      Usage(app, name) + Paragraph(app.get_description()) + Say("\n命令：\n", "\ncommands:\n");
  for (const CLI::App* command : app.get_subcommands({})) {
    std::string line = "  " + command->get_name();
    line.resize(std::max(line.size() + 1, std::size_t{13}), ' ');
    // A command of a command is summarised under both names ("record export").
    auto summary = summaries_.find(app.get_name() + " " + command->get_name());
    if (summary == summaries_.end()) summary = summaries_.find(command->get_name());
    list += line + (summary != summaries_.end() ? summary->second : std::string()) + "\n";
  }
  return list + Paragraph(app.get_footer());
}

std::string HelpFormatter::OptionLines(const CLI::App& app) const {
  std::string lines;
  for (const std::string& group : app.get_groups()) {
    const std::vector<const CLI::Option*> options = app.get_options(
        [&](const CLI::Option* o) { return o->get_group() == group && o->nonpositional(); });
    if (options.empty()) continue;
    lines += "\n";
    if (group != kDefaultGroup) lines += group + Say("：\n", ":\n");
    for (const CLI::Option* option : options) lines += OptionLine(*option);
  }
  return lines;
}

std::string HelpFormatter::OptionLine(const CLI::Option& option) const {
  std::string line = "  " + Names(option);
  if (const std::string value = ValueText(option); !value.empty()) line += " " + value;
  if (line.size() + 1 > column_) {
    line += "\n";
    line.append(column_, ' ');
  } else {
    line.resize(column_, ' ');
  }
  return line + IndentFollowingLines(option.get_description(), column_) + "\n";
}

void PrepareParser(CLI::App& app, std::shared_ptr<HelpFormatter> formatter) {
  app.formatter(std::move(formatter));
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void MoveHelpLast(CLI::App& app, const std::string& group) {
  app.set_help_flag("-h,--help", Say("显示本说明", "print this text"))->group(group);
}

}  // namespace dtu::cli
