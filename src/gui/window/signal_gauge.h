#pragma once

#include <QWidget>

namespace dtu {

// The signal-strength gauge: a yellow strip on which LayoutGauge's bars show the
// last reported strength. A click on it asks the unit for a fresh value (the window sends the
// command when `clicked` arrives).
class SignalGauge : public QWidget {
  Q_OBJECT

 public:
  explicit SignalGauge(QWidget* parent = nullptr);

  // The last signal-strength value, 0 until the unit reports one.
  int value() const { return value_; }
  // Keeps the value and repaints with it.
  void setValue(int value);

  QSize sizeHint() const override;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int value_ = 0;
};

}  // namespace dtu
