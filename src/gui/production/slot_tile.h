#pragma once

#include <QFrame>
#include <QString>

#include <string>
#include <string_view>

#include "core/production/provision_progress.h"

class QLabel;
class QProgressBar;

namespace dtu {

// What a tile says for a unit that ended otherwise than well: the reason in a sentence and what
// to do ("设备拒绝参数，请检查模板").
std::string_view FailureAdvice(UnitResult result);

// One slot of the production window, readable from two metres: the slot's name, its step in a
// large word on a colour (green done, red failed, amber at work), the unit's module serial and
// row or the reason and what to do, and the unit's progress through its steps. A failed unit's
// tile stays red while the port waits for the next unit; a click on it tries the unit again.
class SlotTile : public QFrame {
  Q_OBJECT

 public:
  SlotTile(int id, QString name, QWidget* parent = nullptr);

  // Shows the port's new step.
  void Show(const SlotEvent& event);
  // The run has ended: a slot that was waiting says it has stopped, and a failed unit no longer
  // offers a retry, which only a running batch can give. A finished unit's result stays.
  void ShowRunEnded();

  SlotStep step() const { return step_; }
  QString word() const;    // the large word: "等待设备", "读取", "完成", "失败"...
  QString detail() const;  // the line below it
  int progress() const;    // the unit's steps done, 0..kUnitSteps

 signals:
  void retryRequested();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Paint(const char* colour);

  SlotStep step_ = SlotStep::WaitingForUnit;
  bool failed_shown_ = false;  // a failure stays until the next unit is read
  bool run_ended_ = false;     // no more steps come, and no retry
  QLabel* name_;
  QLabel* word_;
  QLabel* detail_;
  QProgressBar* bar_;
};

}  // namespace dtu
