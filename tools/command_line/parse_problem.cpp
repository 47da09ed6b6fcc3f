#include "command_line/parse_problem.h"

#include <string_view>
#include <vector>

#include "command_line/help_formatter.h"
#include "core/message_language.h"

namespace dtu::cli {
namespace {

std::string MissingItem(const CLI::App& parser) {
  for (const CLI::Option* option : parser.get_options()) {
    if (option->get_required() && option->count() == 0) {
      const std::string item = UsageItem(*option);
      return dtu::Say("缺少 " + item, "missing " + item);
    }
  }
  return {};
}

std::string UnexpectedItem(const CLI::App& parser) {
  const std::vector<std::string> extras = parser.remaining();
  if (extras.empty()) return {};
  const std::string& first = extras.front();
  if (first.size() > 1 && first.front() == '-')
    return dtu::Say("没有选项 '" + first + "'", "unknown option '" + first + "'");
  const bool takes_operands =
      !parser.get_options([](const CLI::Option* o) { return o->get_positional(); }).empty();
  return takes_operands
             ? dtu::Say("操作数过多", "too many operands")
             : dtu::Say("多余的操作数 '" + first + "'", "unexpected operand '" + first + "'");
}

// CLI11 says "--timeout: 1 required FLOAT missing"; the name is all that matters.
std::string ValueMissing(const CLI::ParseError& error) {
  const std::string text = error.what();
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || !text.ends_with(" missing")) return {};
  const std::string name = text.substr(0, colon);
  return dtu::Say("选项 '" + name + "' 需要一个值", "option '" + name + "' needs a value");
}

// CLI11 says "Could not convert: --name = value" in English only.
std::string NotConverted(const CLI::ParseError& error) {
  const std::string text = error.what();
  constexpr std::string_view kEnglish = "Could not convert: ";
  if (CurrentMessageLanguage() == MessageLanguage::kEnglish || !text.starts_with(kEnglish))
    return {};
  return "值无法转换：" + text.substr(kEnglish.size());
}

}  // namespace

std::string DescribeParseError(const CLI::App& parser, const CLI::ParseError& error) {
  std::string problem;
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) problem = MissingItem(parser);
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) problem = UnexpectedItem(parser);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) problem = ValueMissing(error);
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) problem = NotConverted(error);
  return problem.empty() ? std::string(error.what()) : problem;
}

}  // namespace dtu::cli
