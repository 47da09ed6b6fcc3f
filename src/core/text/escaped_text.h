#pragma once

#include <string>
#include <string_view>

namespace dtu {

// Bytes of a GBK field as text a person can read and edit in any UTF-8 file, and back, exactly:
// every GBK character stands as itself; a byte that is part of no character, and the byte 0x00,
// stand as "\xHH" (two hex digits, upper case when written); a backslash stands as "\\".

// The escaped UTF-8 form of GBK bytes.
std::string EscapeGbk(std::string_view gbk);

// The bytes an escaped text stands for. `problem` names what is wrong when the text holds a
// character GBK cannot hold or a backslash not followed by "\" or "x" and two hex digits.
struct UnescapedGbk {
  std::string bytes;
  std::string problem;

  bool ok() const { return problem.empty(); }
};
UnescapedGbk UnescapeGbk(std::string_view text);

}  // namespace dtu
