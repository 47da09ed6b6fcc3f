#include "gui/window/signal_gauge.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include "gui/window/gauge_geometry.h"
#include "gui/window/main_window_ids.h"

namespace dtu {
namespace {

QColor ToQColor(const GaugeColour& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

QRect ToQRect(const GaugeRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// 31 bars on a strip 98 pixels wide, so that each step of the strength is one bar.
constexpr QSize kPreferredSize(98, 26);

}  // namespace

SignalGauge::SignalGauge(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(main_id::kSignalGauge));
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, ToQColor(kGaugeBackground));
  colours.setColor(QPalette::WindowText, ToQColor(kGaugeText));
  setPalette(colours);
  setFixedSize(kPreferredSize);
}

void SignalGauge::setValue(int value) {
  value_ = value;
  update();
}

QSize SignalGauge::sizeHint() const {
  return kPreferredSize;
}

void SignalGauge::paintEvent(QPaintEvent* /*event*/) {
  const GaugeShapes shapes = LayoutGauge(width(), height(), value_);
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);

  painter.setPen(QPen(ToQColor(kGaugeOutlineColour), 1));
  QPolygon outline;
  for (const GaugePoint& point : shapes.outline) outline << QPoint(point.x, point.y);
  painter.drawPolyline(outline);

  for (const GaugeRect& bar : shapes.bars)
    painter.fillRect(ToQRect(bar), ToQColor(kGaugeEmptyBarColour));
  for (int i = 0; i < shapes.coloured_bars; ++i)
    painter.fillRect(ToQRect(shapes.bars[static_cast<std::size_t>(i)]), ToQColor(shapes.colour));
}

void SignalGauge::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit clicked();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace dtu
