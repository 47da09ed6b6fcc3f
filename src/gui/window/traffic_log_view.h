#pragma once

#include <QDockWidget>
#include <QTimer>

#include <cstdint>
#include <string_view>

#include "core/device/traffic_log.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace dtu {

class FileChooser;
class UserMessages;

// The traffic log pane ("通信记录"): every exchange with the unit, line by line, with the time,
// the direction and the bytes (control bytes made visible, or as hex on demand), and what the
// window made of them. It can be docked or float; "复制" copies the whole log, "清除" empties it
// and "保存..." writes it to a text file.
//
// Bytes reach the log model at once, but the pane shows new lines in batches from a short timer,
// so a read streaming in is never slowed by one repaint per byte. The model and the pane keep
// the last TrafficLog::kDefaultMaxLines lines.
class TrafficLogView : public QDockWidget {
  Q_OBJECT

 public:
  // How often new lines are shown; a received line also ends when a tick finds no new byte.
  static constexpr int kFlushMilliseconds = 100;

  // `messages` and `files` must outlive the pane.
  TrafficLogView(UserMessages& messages, FileChooser& files, QWidget* parent = nullptr);

  void AddSent(std::string_view bytes);
  void AddReceived(std::uint8_t byte);
  void AddNote(std::string_view text);

  // Ends any open received line and shows every line at once (the timer would, a moment later).
  void Flush();

  const TrafficLog& log() const { return log_; }
  QPlainTextEdit* text() const { return text_; }
  QCheckBox* hexBox() const { return hex_box_; }

  void CopyAll() const;
  void Clear();
  void Save();

 private:
  void Schedule();
  void OnTick();
  void ShowNewLines();
  void ShowAll();
  QString Format(const TrafficLine& line) const;

  UserMessages& messages_;
  FileChooser& files_;
  TrafficLog log_;
  QTimer flush_timer_;
  std::uint64_t shown_count_ = 0;  // the log's ended_count() when lines were last shown
  bool received_since_tick_ = false;
  QPlainTextEdit* text_ = nullptr;  // owned by Qt's parent chain
  QCheckBox* hex_box_ = nullptr;
};

}  // namespace dtu
