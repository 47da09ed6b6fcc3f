#pragma once

#include <string>

namespace dtu {

// The system's reason for a failed call (an errno value) in the messages' language
// (core/message_language.h): the failures a user meets with files and ports in Chinese or in
// English, else the system's own words with the number ("系统错误 71：Protocol error",
// "system error 71: Protocol error").
std::string SystemErrorText(int error);

}  // namespace dtu
