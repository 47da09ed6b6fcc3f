#include "gui/production/slot_tile.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QVBoxLayout>

#include <array>
#include <utility>

#include "core/production/unit_result.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

constexpr std::array<std::pair<UnitResult, std::string_view>, 7> kAdvice{{
    {UnitResult::Rejected, "设备拒绝参数，请检查模板"},
    {UnitResult::Mismatch, "读回的参数与写入的不同，请点击重试或更换设备"},
    {UnitResult::NoAnswer, "设备无应答，请检查电源和接线"},
    {UnitResult::Vanished, "端口断开，请检查串口线和适配器"},
    {UnitResult::NoRow, "单元表中没有这个设备的行，请检查单元表"},
    {UnitResult::Unidentified, "设备没有报序列号，无法区分，请检查设备"},
    {UnitResult::NotRecorded, "生产记录无法写入，请检查记录所在的磁盘或服务器"},
}};

constexpr const char* kGreen = "#2e7d32";
constexpr const char* kRed = "#c62828";
constexpr const char* kAmber = "#ef8f00";
constexpr const char* kGrey = "#607d8b";

QString UnitLine(const SlotEvent& event) {
  QString text = FromUtf8(UnitName(event.unit));
  if (event.row_line > 0) text += QStringLiteral("  第 %1 行").arg(event.row_line);
  return text;
}

}  // namespace

std::string_view FailureAdvice(UnitResult result) {
  for (const auto& [value, text] : kAdvice)
    if (value == result) return text;
  return {};
}

SlotTile::SlotTile(int id, QString name, QWidget* parent)
    : QFrame(parent),
      name_(new QLabel(std::move(name), this)),
      word_(new QLabel(this)),
      detail_(new QLabel(this)),
      bar_(new QProgressBar(this)) {
  setObjectName(QStringLiteral("tile%1").arg(id));
  setProperty("controlId", id);
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setMinimumSize(240, 200);  // four in a row fit a screen 1,024 pixels wide
  QFont name_font = font();
  name_font.setPointSize(14);
  name_->setFont(name_font);
  QFont word_font = font();
  word_font.setPointSize(32);
  word_font.setBold(true);
  word_->setFont(word_font);
  word_->setAlignment(Qt::AlignCenter);
  QFont detail_font = font();
  detail_font.setPointSize(16);
  detail_->setFont(detail_font);
  detail_->setWordWrap(true);
  detail_->setAlignment(Qt::AlignCenter);
  bar_->setRange(0, kUnitSteps);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(name_);
  layout->addWidget(word_, 1);
  layout->addWidget(detail_, 1);
  layout->addWidget(bar_);
  Show(SlotEvent{});
}

void SlotTile::Paint(const char* colour) {
  setStyleSheet(QStringLiteral("dtu--SlotTile { background: %1; } QLabel { color: white; }")
                    .arg(QLatin1String(colour)));
}

void SlotTile::Show(const SlotEvent& event) {
  // A failure stays in sight while the port waits: a silent unit is waited for at once.
  if (failed_shown_ && (event.step == SlotStep::WaitingForUnit || event.step == SlotStep::PortBack))
    return;
  step_ = event.step;
  failed_shown_ = false;
  run_ended_ = false;
  bar_->setValue(event.step_number);
  switch (event.step) {
    case SlotStep::WaitingForUnit:
    case SlotStep::PortBack:
      word_->setText(QStringLiteral("等待设备"));
      detail_->setText(QStringLiteral("请插入设备"));
      Paint(kGrey);
      break;
    case SlotStep::Paused:
      word_->setText(QStringLiteral("已暂停"));
      detail_->setText(QString());
      Paint(kGrey);
      break;
    case SlotStep::Reading:
    case SlotStep::Writing:
    case SlotStep::Checking:
      word_->setText(event.step == SlotStep::Reading   ? QStringLiteral("读取")
                     : event.step == SlotStep::Writing ? QStringLiteral("写入")
                                                       : QStringLiteral("校验"));
      detail_->setText(UnitLine(event));
      Paint(kAmber);
      break;
    case SlotStep::Done:
      word_->setText(event.result == UnitResult::Skipped ? QStringLiteral("完成（已是这一行）")
                                                         : QStringLiteral("完成"));
      detail_->setText(UnitLine(event) + QStringLiteral("\n请取下设备"));
      bar_->setValue(kUnitSteps);
      Paint(kGreen);
      break;
    case SlotStep::Failed:
      word_->setText(QStringLiteral("失败"));
      detail_->setText(UnitLine(event) + QStringLiteral("\n") +
                       FromUtf8(FailureAdvice(event.result.value_or(UnitResult::NoAnswer))) +
                       QStringLiteral("\n（点击重试）"));
      detail_->setToolTip(FromUtf8(event.message));
      failed_shown_ = true;
      Paint(kRed);
      break;
    case SlotStep::PortGone:
      word_->setText(QStringLiteral("端口断开"));
      detail_->setText(QStringLiteral("请检查适配器，插回后自动继续"));
      Paint(kRed);
      break;
    case SlotStep::RowsFinished:
      word_->setText(QStringLiteral("全部完成"));
      detail_->setText(QStringLiteral("单元表中的行都已完成"));
      Paint(kGrey);
      break;
  }
}

void SlotTile::ShowRunEnded() {
  run_ended_ = true;
  if (step_ == SlotStep::Failed) {
    detail_->setText(detail_->text().remove(QStringLiteral("\n（点击重试）")));
    return;
  }
  if (step_ == SlotStep::Done || step_ == SlotStep::RowsFinished) return;
  word_->setText(QStringLiteral("已停止"));
  detail_->setText(QStringLiteral("本批已停止"));
  bar_->setValue(0);
  Paint(kGrey);
}

QString SlotTile::word() const {
  return word_->text();
}

QString SlotTile::detail() const {
  return detail_->text();
}

int SlotTile::progress() const {
  return bar_->value();
}

void SlotTile::mouseReleaseEvent(QMouseEvent* event) {
  if (step_ == SlotStep::Failed && !run_ended_ && event->button() == Qt::LeftButton)
    emit retryRequested();
  QFrame::mouseReleaseEvent(event);
}

}  // namespace dtu
