#include "command_line/parse_problem.h"

#include <vector>

#include "command_line/help_formatter.h"

namespace dtu::cli {
namespace {

std::string MissingItem(const CLI::App& parser) {
  for (const CLI::Option* option : parser.get_options()) {
    if (option->get_required() && option->count() == 0) return "missing " + UsageItem(*option);
  }
  return {};
}

std::string UnexpectedItem(const CLI::App& parser) {
  const std::vector<std::string> extras = parser.remaining();
  if (extras.empty()) return {};
  const std::string& first = extras.front();
  if (first.size() > 1 && first.front() == '-') return "unknown option '" + first + "'";
  const bool takes_operands =
      !parser.get_options([](const CLI::Option* o) { return o->get_positional(); }).empty();
  return takes_operands ? "too many operands" : "unexpected operand '" + first + "'";
}

// CLI11 says "--timeout: 1 required FLOAT missing"; the name is all that matters.
std::string ValueMissing(const CLI::ParseError& error) {
  const std::string text = error.what();
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || !text.ends_with(" missing")) return {};
  return "option '" + text.substr(0, colon) + "' needs a value";
}

}  // namespace

std::string DescribeParseError(const CLI::App& parser, const CLI::ParseError& error) {
  std::string problem;
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) problem = MissingItem(parser);
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) problem = UnexpectedItem(parser);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) problem = ValueMissing(error);
  return problem.empty() ? std::string(error.what()) : problem;
}

}  // namespace dtu::cli
