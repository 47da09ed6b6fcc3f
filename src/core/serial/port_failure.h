#pragma once

#include <string_view>

namespace dtu {

// A failed call of the system on a port: its errno and its name as this system knows it
// ("read()", "tcsetattr()"), for the report that tells the user what failed. error 0: nothing
// failed.
struct PortFailure {
  int error = 0;
  std::string_view call;

  explicit operator bool() const { return error != 0; }
  bool operator==(const PortFailure&) const = default;
};

}  // namespace dtu
