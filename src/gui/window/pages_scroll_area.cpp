#include "gui/window/pages_scroll_area.h"

#include <QScrollBar>

namespace dtu {

PagesScrollArea::PagesScrollArea(QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
}

QSize PagesScrollArea::sizeHint() const {
  // QScrollArea's own hint stops at a few dozen lines of text.
  if (widget() == nullptr) return QScrollArea::sizeHint();
  const int frame = 2 * frameWidth();
  // Room for the vertical scroll bar besides: when the pages scroll up and down (the traffic
  // log below takes their height), they keep their whole width instead of scrolling sideways.
  return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
}

}  // namespace dtu
