#pragma once

#include <string>
#include <string_view>

namespace dtu {

// What a file holds, told from its first bytes, so that a file given in the wrong place is named
// for what it is instead of failing as what it is not.
enum class FileKind {
  ParameterFile,  // binary: a parameter block (or anything else that is no text)
  TextForm,       // a JSON object: a block's text form
  Table,          // text whose first line has commas or semicolons: a CSV table (not JSON)
  Text,           // any other UTF-8 text
};

// The kind of the file whose first bytes (a few hundred are enough) are `head`. A byte order
// mark is skipped; a head cut inside a character is still text. Empty counts as a parameter file
// (too short to be one).
FileKind SniffFileKind(std::string_view head);

// The kind as messages name it: "参数文件", "参数块的文本形式（JSON）", "表格文件（CSV）",
// "文本文件".
std::string FileKindName(FileKind kind);

}  // namespace dtu
