#pragma once

#include <QScrollArea>

namespace dtu {

// The scroll area around the main window's pages: it asks for the whole of what it holds, so
// that a window with room shows everything without scroll bars, yet it can be made as small as
// a screen needs, scrolling then.
class PagesScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  explicit PagesScrollArea(QWidget* parent = nullptr);

  QSize sizeHint() const override;
};

}  // namespace dtu
