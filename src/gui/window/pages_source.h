#pragma once

#include <QObject>

#include "core/device/block_origin.h"

namespace dtu {

// Where the parameters on the editor pages came from: the built-in start-up values until a block
// is loaded, then the unit or the file of the last block the pages accepted. Edits on the pages
// do not change it. Whatever shows the source (the window's title, a status bar) follows
// changed().
class PagesSource : public QObject {
  Q_OBJECT

 public:
  explicit PagesSource(QObject* parent = nullptr) : QObject(parent) {}

  const BlockOrigin& origin() const { return origin_; }
  // True once a block from any unit has been accepted since start-up.
  bool unitReadSinceStart() const { return unit_read_; }

  void set(const BlockOrigin& origin);

 signals:
  void changed(const dtu::BlockOrigin& origin);

 private:
  BlockOrigin origin_;
  bool unit_read_ = false;
};

}  // namespace dtu
