#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/user_messages.h"

namespace dtuctl {

// Helpers shared by the commands that work on parameter files.

// Prints "dtuctl NAME: problem" and the command's usage on stderr; returns kExitFailure.
int UsageError(std::string_view name, std::string_view problem, std::string_view usage);

// Prints a command's help text on stdout; returns kExitOk.
int PrintHelp(std::string_view help);

// The one FILE operand of a command that takes nothing else, or nothing after reporting a usage
// error (unknown option, missing or extra operand).
std::optional<std::string> SingleFileOperand(std::string_view name,
                                             const std::vector<std::string>& args,
                                             std::string_view usage);

// Reads the parameter file at `path`; on failure shows "path: reason" and returns nothing.
std::optional<dtu::ParameterBlock> ReadBlockFile(const std::string& path,
                                                 dtu::UserMessages& messages);

// Prints the summary of `block` as the tool shows it after loading it: the length word taken as
// 660, the checksum verified and the block normalised, one line per summary line. Returns
// kExitOk, kExitChecksum after showing the mismatch message, or kExitFailure when standard output
// could not be written.
int PrintLoadedSummary(std::string_view name, dtu::ParameterBlock block,
                       dtu::UserMessages& messages);

// Writes the bytes to standard output and flushes it; false (after a message on stderr) when the
// output could not be written, e.g. a closed pipe or a full disk.
bool WriteToStdout(std::string_view name, std::string_view bytes);

}  // namespace dtuctl
