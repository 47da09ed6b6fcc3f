#include "core/device/traffic_log.h"

#include <ctime>
#include <span>

#include "core/text/hex_text.h"

namespace dtu {
namespace {

std::string ClockTime(std::int64_t time_ms) {
  const std::time_t seconds = static_cast<std::time_t>(time_ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16] = {};
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  std::string shown(text);
  const int ms = static_cast<int>(time_ms % 1000);
  shown += '.';
  shown += static_cast<char>('0' + ms / 100);
  shown += static_cast<char>('0' + ms / 10 % 10);
  shown += static_cast<char>('0' + ms % 10);
  return shown;
}

std::string_view DirectionName(TrafficDirection direction) {
  switch (direction) {
    case TrafficDirection::Sent:
      return "发送";
    case TrafficDirection::Received:
      return "接收";
    case TrafficDirection::Note:
      return "识别";
  }
  return {};
}

}  // namespace

void TrafficLog::AddSent(std::int64_t time_ms, std::string_view bytes) {
  CloseReceived();
  Append({time_ms, TrafficDirection::Sent, std::string(bytes)});
}

void TrafficLog::AddReceived(std::int64_t time_ms, std::uint8_t byte) {
  // A carriage return ends the line too, unless a line feed follows it at once.
  if (open_ && open_->bytes.back() == '\r' && byte != '\n') CloseReceived();
  if (!open_) open_ = TrafficLine{time_ms, TrafficDirection::Received, {}};
  open_->bytes += static_cast<char>(byte);
  if (byte == '\n' || open_->bytes.size() >= kMaxLineBytes) CloseReceived();
}

void TrafficLog::AddNote(std::int64_t time_ms, std::string_view text) {
  TrafficLine note{time_ms, TrafficDirection::Note, std::string(text)};
  if (open_)
    held_notes_.push_back(std::move(note));
  else
    Append(std::move(note));
}

void TrafficLog::CloseReceived() {
  if (!open_) return;
  Append(std::move(*open_));
  open_.reset();
  for (TrafficLine& note : held_notes_) Append(std::move(note));
  held_notes_.clear();
}

void TrafficLog::Clear() {
  lines_.clear();
  open_.reset();
  held_notes_.clear();
}

void TrafficLog::Append(TrafficLine line) {
  lines_.push_back(std::move(line));
  ++ended_count_;
  while (lines_.size() > max_lines_) lines_.pop_front();
}

std::string VisibleBytes(std::string_view bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    switch (byte) {
      case '\r':
        shown += "<CR>";
        break;
      case '\n':
        shown += "<LF>";
        break;
      case '\t':
        shown += "<TAB>";
        break;
      case 0x00:
        shown += "<NUL>";
        break;
      case 0x1B:
        shown += "<ESC>";
        break;
      default:
        if (byte >= 0x20 && byte < 0x7F) {
          shown += c;
        } else {
          shown += '<';
          AppendHexPair(shown, byte);
          shown += '>';
        }
    }
  }
  return shown;
}

std::string FormatTrafficLine(const TrafficLine& line, bool hex) {
  std::string shown =
      ClockTime(line.time_ms) + "  " + std::string(DirectionName(line.direction)) + "  ";
  if (line.direction == TrafficDirection::Note) return shown + line.bytes;
  if (!hex) return shown + VisibleBytes(line.bytes);
  const auto* data = reinterpret_cast<const std::uint8_t*>(line.bytes.data());
  std::string dump = FormatHexDump(std::span<const std::uint8_t>(data, line.bytes.size()));
  if (!dump.empty()) dump.pop_back();  // the dump's trailing space
  return shown + dump;
}

}  // namespace dtu
