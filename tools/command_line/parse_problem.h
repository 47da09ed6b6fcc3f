#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace dtu::cli {

// What is wrong with a command line `parser` refused, in one line of the tools' words:
//   "missing --port DEV", "missing FILE"           a required option or operand is not there
//   "unknown option '--verbose'"                    an option the parser does not know
//   "unexpected operand 'extra'"                    an operand where it takes none
//   "too many operands"                             more operands than it takes
//   "option '--timeout' needs a value"              an option at the end without its value
//   "--baud: unsupported baud rate '12345' ..."     a value its check refused (the check's words)
std::string DescribeParseError(const CLI::App& parser, const CLI::ParseError& error);

}  // namespace dtu::cli
