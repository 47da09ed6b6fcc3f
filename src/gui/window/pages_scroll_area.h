#pragma once

#include <QScrollArea>

namespace dtu {

// The scroll area around the main window's pages: it asks for the whole of what it holds and
// the width of a vertical scroll bar, so that a window with room shows everything without
// scrolling sideways, also when the pages scroll up and down; yet it can be made as small as a
// screen needs, scrolling then.
class PagesScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  explicit PagesScrollArea(QWidget* parent = nullptr);

  QSize sizeHint() const override;
};

}  // namespace dtu
