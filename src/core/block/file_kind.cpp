#include "core/block/file_kind.h"

#include <algorithm>

#include "core/message_language.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\n";

// Well-formed UTF-8 without control bytes other than white space; the last three bytes may be a
// character cut off where the head ends.
bool IsText(std::string_view head) {
  for (std::size_t i = 0; i < head.size();) {
    const auto byte = static_cast<unsigned char>(head[i]);
    if (byte < 0x20 && kBlanks.find(head[i]) == std::string_view::npos && head[i] != '\f')
      return false;
    const Utf8Char c = DecodeUtf8At(head, i);
    if (c.code == kReplacementCharacter && c.length == 1 && i + 3 < head.size()) return false;
    i += c.length;
  }
  return true;
}

}  // namespace

FileKind SniffFileKind(std::string_view head) {
  if (head.starts_with(kByteOrderMark)) head.remove_prefix(kByteOrderMark.size());
  if (head.empty() || !IsText(head)) return FileKind::ParameterFile;
  const std::size_t first = head.find_first_not_of(kBlanks);
  if (first != std::string_view::npos && head[first] == '{') return FileKind::TextForm;
  if (first != std::string_view::npos && head[first] == '[') return FileKind::Text;  // JSON too
  const std::string_view first_line = head.substr(0, head.find('\n'));
  if (std::ranges::any_of(first_line, [](char c) { return c == ',' || c == ';'; }))
    return FileKind::Table;
  return FileKind::Text;
}

std::string FileKindName(FileKind kind) {
  switch (kind) {
    case FileKind::ParameterFile:
      return Say("参数文件", "a parameter file");
    case FileKind::TextForm:
      return Say("参数块的文本形式（JSON）", "a parameter block's text form (JSON)");
    case FileKind::Table:
      return Say("表格文件（CSV）", "a table (CSV)");
    case FileKind::Text:
      return Say("文本文件", "a text file");
  }
  return Say("文件", "a file");
}

}  // namespace dtu
