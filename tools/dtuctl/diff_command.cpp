// dtuctl diff A B: the fields in which two parameter sets differ.
#include <optional>
#include <string>
#include <vector>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_text.h"
#include "core/editing/field_labels.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "diff";
constexpr std::string_view kUsage = "usage: dtuctl diff A B\n";
constexpr std::string_view kHelp =
    "usage: dtuctl diff A B\n"
    "\n"
    "Compares two parameter sets, each a parameter file or a text form ('dtuctl export'), and\n"
    "prints one line per field that differs, in block order: the field's name, the label the\n"
    "window shows for it in parentheses, and both values as the text form writes them:\n"
    "\n"
    "  port1 (端口): 5001 -> 6001\n"
    "\n"
    "A value \"-\" stands for a member only one side writes (device_id under protocol 9). Prints\n"
    "nothing when every field is the same.\n"
    "\n"
    "exit status: 0 the same, 9 they differ, 1 bad usage, a file unreadable or a refused text,\n"
    "2 a parameter file's checksum does not match\n";

struct DiffOptions {
  std::string first;
  std::string second;
};

std::optional<DiffOptions> ParseDiffOptions(const std::vector<std::string>& args) {
  if (HasUnknownOption(kName, args, kUsage)) return std::nullopt;
  if (args.size() != 2) {
    UsageError(kName, args.size() < 2 ? "missing A or B" : "too many operands", kUsage);
    return std::nullopt;
  }
  return DiffOptions{args[0], args[1]};
}

std::string DifferenceLine(const dtu::MemberDifference& difference) {
  const std::string_view label = dtu::FieldLabel(difference.name);
  std::string line = difference.name;
  if (!label.empty()) line += " (" + std::string(label) + ")";
  return line + ": " + difference.first + " -> " + difference.second + "\n";
}

int DiffSets(const DiffOptions& options) {
  ConsoleMessages messages;
  const BlockSource first = ReadBlockOrText(options.first, messages);
  if (!first.block) return first.status;
  const BlockSource second = ReadBlockOrText(options.second, messages);
  if (!second.block) return second.status;
  std::string lines;
  for (const dtu::MemberDifference& difference : dtu::DiffBlockTexts(*first.block, *second.block))
    lines += DifferenceLine(difference);
  if (lines.empty()) return kExitOk;
  return WriteToStdout(kName, lines) ? kExitDiffers : kExitFailure;
}

int RunDiff(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  const std::optional<DiffOptions> options = ParseDiffOptions(args);
  return options ? DiffSets(*options) : kExitFailure;
}

const RegisterCommand kRegistered{
    {kName, "show the fields in which two parameter files or texts differ", RunDiff}};

}  // namespace
}  // namespace dtuctl
