#include "gui/window/traffic_log_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "core/block/parameter_file.h"
#include "core/file_chooser.h"
#include "core/user_messages.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

std::int64_t Now() {
  return QDateTime::currentMSecsSinceEpoch();
}

QPushButton* CreateButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TrafficLogView::TrafficLogView(UserMessages& messages, FileChooser& files, QWidget* parent)
    : QDockWidget(QStringLiteral("通信记录"), parent), messages_(messages), files_(files) {
  setObjectName(QStringLiteral("traffic_log"));
  auto* body = new QWidget(this);
  text_ = new QPlainTextEdit(body);
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setMaximumBlockCount(static_cast<int>(log_.max_lines()));
  text_->setTabChangesFocus(true);
  text_->setAccessibleName(QStringLiteral("通信记录"));
  hex_box_ = new QCheckBox(QStringLiteral("十六进制(&X)"), body);
  hex_box_->setToolTip(QStringLiteral("收发的字节以十六进制显示"));
  QPushButton* copy = CreateButton(QStringLiteral("复制(&C)"), body);
  copy->setToolTip(QStringLiteral("把整个通信记录复制到剪贴板"));
  QPushButton* clear = CreateButton(QStringLiteral("清除(&L)"), body);
  clear->setToolTip(QStringLiteral("清空通信记录"));
  QPushButton* save = CreateButton(QStringLiteral("保存(&A)..."), body);
  save->setToolTip(QStringLiteral("把通信记录保存到文本文件"));
  connect(hex_box_, &QCheckBox::toggled, this, &TrafficLogView::ShowAll);
  connect(copy, &QPushButton::clicked, this, &TrafficLogView::CopyAll);
  connect(clear, &QPushButton::clicked, this, &TrafficLogView::Clear);
  connect(save, &QPushButton::clicked, this, &TrafficLogView::Save);

  auto* tools = new QHBoxLayout;
  tools->addWidget(hex_box_);
  tools->addStretch(1);
  tools->addWidget(copy);
  tools->addWidget(clear);
  tools->addWidget(save);
  auto* column = new QVBoxLayout(body);
  column->setContentsMargins(4, 4, 4, 4);
  column->addLayout(tools);
  column->addWidget(text_, 1);
  setWidget(body);

  flush_timer_.setInterval(kFlushMilliseconds);
  connect(&flush_timer_, &QTimer::timeout, this, &TrafficLogView::OnTick);
}

void TrafficLogView::AddSent(std::string_view bytes) {
  log_.AddSent(Now(), bytes);
  Schedule();
}

void TrafficLogView::AddReceived(std::uint8_t byte) {
  log_.AddReceived(Now(), byte);
  received_since_tick_ = true;
  Schedule();
}

void TrafficLogView::AddNote(std::string_view text) {
  log_.AddNote(Now(), text);
  Schedule();
}

void TrafficLogView::Schedule() {
  if (!flush_timer_.isActive()) flush_timer_.start();
}

void TrafficLogView::OnTick() {
  // A received line still open after a quiet tick is as complete as the unit made it.
  if (!received_since_tick_) log_.CloseReceived();
  received_since_tick_ = false;
  ShowNewLines();
  if (!log_.has_open_line()) flush_timer_.stop();
}

void TrafficLogView::Flush() {
  log_.CloseReceived();
  ShowNewLines();
}

void TrafficLogView::ShowNewLines() {
  const auto& lines = log_.lines();
  const std::uint64_t fresh = log_.ended_count() - shown_count_;
  shown_count_ = log_.ended_count();
  if (fresh == 0) return;
  const std::size_t first = fresh >= lines.size() ? 0 : lines.size() - fresh;
  QStringList batch;
  for (std::size_t i = first; i < lines.size(); ++i) batch << Format(lines[i]);
  text_->appendPlainText(batch.join(QLatin1Char('\n')));
}

void TrafficLogView::ShowAll() {
  text_->clear();
  shown_count_ = log_.ended_count() - log_.lines().size();
  ShowNewLines();
}

QString TrafficLogView::Format(const TrafficLine& line) const {
  return FromUtf8(FormatTrafficLine(line, hex_box_->isChecked()));
}

void TrafficLogView::CopyAll() const {
  QApplication::clipboard()->setText(text_->toPlainText());
}

void TrafficLogView::Clear() {
  log_.Clear();
  shown_count_ = log_.ended_count();
  text_->clear();
}

void TrafficLogView::Save() {
  Flush();
  const std::optional<std::filesystem::path> path = files_.ChooseLogSave();
  if (!path) return;
  std::string all;
  for (const TrafficLine& line : log_.lines())
    all += FormatTrafficLine(line, hex_box_->isChecked()) + "\n";
  const FileResult written = WriteTextFile(*path, all);
  if (!written.ok()) messages_.Show(MessageKind::Warning, written.message, kSaveFileCaption);
}

}  // namespace dtu
