#include "gui/window/pages_scroll_area.h"

namespace dtu {

PagesScrollArea::PagesScrollArea(QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
}

QSize PagesScrollArea::sizeHint() const {
  // QScrollArea's own hint stops at a few dozen lines of text.
  if (widget() == nullptr) return QScrollArea::sizeHint();
  const int frame = 2 * frameWidth();
  return widget()->sizeHint() + QSize(frame, frame);
}

}  // namespace dtu
