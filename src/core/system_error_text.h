#pragma once

#include <string>

namespace dtu {

// The system's reason for a failed call (an errno value) in the program's language: Chinese for
// the failures a user meets with files and ports, else the system's own words with the number
// ("系统错误 71：Protocol error").
std::string SystemErrorText(int error);

}  // namespace dtu
