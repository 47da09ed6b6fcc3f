#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dtusim {

enum class CommandKind {
  GetParameters,   // "$$$AT+GETPARA?"
  GetSignal,       // "$$$AT+GET1?"
  SetParameters,   // "$$$AT+SETPARA" and its 1,320 characters
  AbandonedFrame,  // a parameter frame cut off by the start of another command
};

struct Command {
  CommandKind kind;
  std::string frame_digits;  // the 1,320 characters behind "$$$AT+SETPARA"; empty otherwise
};

// Finds the tool's commands in the received byte stream, however it is cut into reads. Commands
// carry no terminator. A command is recognised wherever it ends, whatever came before it, so junk
// or extra dollar signs in front of it do no harm.
//
// After "$$$AT+SETPARA" exactly the next 1,320 characters are the frame, whatever they are,
// except a '$': no hex digit is a '$', so a '$' means the frame was cut off and a new command is
// starting. The frame is then reported as abandoned and the '$' is scanned as the start of the
// next command.
class CommandScanner {
 public:
  std::vector<Command> Feed(std::string_view bytes);

  // True while the characters of a parameter frame are being collected.
  bool collecting_frame() const { return collecting_; }

 private:
  void Scan(char c, std::vector<Command>& out);
  void Collect(char c, std::vector<Command>& out);

  std::string recent_;  // the last characters outside a frame, at most one command long
  std::string frame_;
  bool collecting_ = false;
};

}  // namespace dtusim
