#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dtu {

// Who a line of the traffic log comes from: bytes sent to the unit, bytes received from it, or a
// note on what the window made of them (a status value, a block accepted or refused, an
// acknowledgement, a time-out, the port opened or closed).
enum class TrafficDirection { Sent, Received, Note };

struct TrafficLine {
  std::int64_t time_ms = 0;  // milliseconds since the epoch: when the line began
  TrafficDirection direction = TrafficDirection::Note;
  std::string bytes;  // the bytes as they went over the line; a note's text (UTF-8)
};

// The lines of the traffic log, the last max_lines() of them. Bytes received arrive one at a
// time and gather in an open line, which ends at a line feed (or a carriage return without one),
// when the line grows long, at the next bytes sent or when CloseReceived() is called (the window
// calls it once the unit pauses). A note made while a received line is open follows that line, so
// that a note always stands after the bytes it is about.
class TrafficLog {
 public:
  static constexpr std::size_t kDefaultMaxLines = 10000;
  // A received line longer than this is ended and a new one begun.
  static constexpr std::size_t kMaxLineBytes = 2048;

  explicit TrafficLog(std::size_t max_lines = kDefaultMaxLines) : max_lines_(max_lines) {}

  void AddSent(std::int64_t time_ms, std::string_view bytes);
  void AddReceived(std::int64_t time_ms, std::uint8_t byte);
  void AddNote(std::int64_t time_ms, std::string_view text);
  void CloseReceived();
  void Clear();

  const std::deque<TrafficLine>& lines() const { return lines_; }
  std::size_t max_lines() const { return max_lines_; }
  bool has_open_line() const { return open_.has_value(); }
  // How many lines have ended since the log began (dropped and cleared ones included), so that a
  // view can tell which lines it has not shown yet.
  std::uint64_t ended_count() const { return ended_count_; }

 private:
  void Append(TrafficLine line);

  std::size_t max_lines_;
  std::deque<TrafficLine> lines_;
  std::optional<TrafficLine> open_;
  std::vector<TrafficLine> held_notes_;
  std::uint64_t ended_count_ = 0;
};

// The bytes as readable text: printable ASCII as it is, the usual control bytes by name
// ("<CR>", "<LF>", "<TAB>", "<NUL>", "<ESC>") and every other byte as "<XX>" in hex.
std::string VisibleBytes(std::string_view bytes);

// One line as the log shows it: "HH:MM:SS.mmm", the direction ("发送", "接收" or "识别") and
// the bytes (visible, or as a hex dump with `hex`); a note's text as it is.
std::string FormatTrafficLine(const TrafficLine& line, bool hex);

}  // namespace dtu
