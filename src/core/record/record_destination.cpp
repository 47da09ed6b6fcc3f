#include "core/record/record_destination.h"

#include <cctype>

#include "core/message_language.h"
#include "core/record/postgres_connection.h"

namespace dtu {
namespace {

// "host=... dbname=...": a word of letters and underscores, then "=".
bool LooksLikeKeywords(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  const std::size_t start = at;
  while (at < text.size() &&
         (std::isalpha(static_cast<unsigned char>(text[at])) || text[at] == '_'))
    ++at;
  while (at < text.size() && text[at] == ' ') ++at;
  return at > start && at < text.size() && text[at] == '=';
}

RecordError Refuse(std::string_view text, const std::string& why) {
  // Appended piece by piece: GCC 12 warns about "literal" + a temporary string at -O3.
  std::string message = "'";
  message += text;
  message += "': ";
  message += why;
  return {RecordFailure::BadDestination, message};
}

}  // namespace

RecordError ParseDestination(std::string_view text, RecordDestination& destination) {
  if (text.empty()) return {RecordFailure::BadDestination, Say("没有给出记录", "no record given")};
  const bool url = text.starts_with("postgresql://") || text.starts_with("postgres://");
  if (url || LooksLikeKeywords(text)) {
    const std::string reason = CheckConnectionString(std::string(text));
    if (!reason.empty())
      return Refuse(
          text,
          Say("不是 PostgreSQL 连接字符串：", "not a PostgreSQL connection string: ") + reason);
    destination = {RecordDestination::Kind::Server, std::string(text)};
    return {};
  }
  if (const std::size_t scheme = text.find("://"); scheme != std::string_view::npos)
    return Refuse(text, Say("未知的记录种类 '" + std::string(text.substr(0, scheme + 3)) +
                                "'（应为文件路径、postgresql://... 或 libpq 连接字符串）",
                            "unknown kind of record '" + std::string(text.substr(0, scheme + 3)) +
                                "' (a file path, postgresql://... or a libpq connection string)"));
  if (text.back() == '/')
    return Refuse(text, Say("是文件夹，不是记录文件", "a folder, not a record file"));
  destination = {RecordDestination::Kind::File, std::string(text)};
  return {};
}

}  // namespace dtu
