#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/serial/serial_port.h"
#include "core/user_messages.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace dtuctl {

// Helpers shared by the commands.

// The one FILE operand of a command that works on a parameter file.
void AddFileOperand(CLI::App& parser, std::string& path);

// "-o, --output FILE": where a command saves what it produced; empty when not given.
CLI::Option* AddOutputOption(CLI::App& parser, std::string& path, const std::string& description);

// False, after a message, when the output file `output` is the input `input` ("-" for standard
// input) under any name: written, it would destroy what it was made from. True when there is no
// output file.
bool OutputIsNotInput(const std::string& input, const std::string& output,
                      dtu::UserMessages& messages);

// Reads the parameter file at `path`; on failure shows "path: reason" and returns nothing.
std::optional<dtu::ParameterBlock> ReadBlockFile(const std::string& path,
                                                 dtu::UserMessages& messages);

// Prints the summary of `block` as the tool shows it after loading it: the length word taken as
// 660, the checksum verified and the block normalised, one line per summary line. Returns
// kExitOk, kExitChecksum after showing the mismatch message, or kExitFailure when standard output
// could not be written.
int PrintLoadedSummary(std::string_view name, dtu::ParameterBlock block,
                       dtu::UserMessages& messages);

// Prints the summary of a block already readied with dtu::PrepareLoadedBlock; false when standard
// output could not be written.
bool PrintSummaryOf(std::string_view name, const dtu::ParameterBlock& loaded);

// "cannot open DEV: no such serial port (reason)" and the like: why a port could not be opened,
// in the tool's words, and the exit status that goes with it.
std::string DescribeOpenFailure(const std::string& port, dtu::PortOpenFailure failure,
                                const std::string& reason);
int OpenFailureStatus(dtu::PortOpenFailure failure);

// Called first: a standard stream the caller closed gets /dev/null in its place, so that the
// next file opened does not take its number (and what is meant for the stream); standard output
// so replaced refuses writes, which WriteToStdout reports as "it is closed".
void GuardStandardStreams();

// "dtuctl COMMAND: problem" on stderr, one line.
void Complain(std::string_view command, const std::string& problem);

// Writes the bytes to standard output and flushes it; false when they could not be written, e.g.
// to a full disk or a closed pipe. After a failure nothing more is written. A closed pipe (the
// reader has all it wanted) ends the output quietly; any other failure is reported once on stderr.
bool WriteToStdout(std::string_view name, std::string_view bytes);

// True once some output could not be written: the command then ends with kExitFailure.
bool StdoutLost();

}  // namespace dtuctl
