#pragma once

#include <QObject>

#include "gui/window/block_origin.h"

namespace dtu {

// Where the parameters on the editor pages came from: the built-in start-up values until a block
// is loaded, then the unit or the file of the last block the pages accepted. Edits on the pages
// do not change it, but mark the pages modified until the pages are written to a unit, saved to
// a file or replaced by another block. Whatever shows the source (the window's title, a status
// bar) follows changed() and modifiedChanged().
class PagesSource : public QObject {
  Q_OBJECT

 public:
  explicit PagesSource(QObject* parent = nullptr) : QObject(parent) {}

  const BlockOrigin& origin() const { return origin_; }
  // True once a block from any unit has been accepted since start-up.
  bool unitReadSinceStart() const { return unit_read_; }
  // True while the pages hold edits not yet written or saved.
  bool modified() const { return modified_; }

  // A block was accepted onto the pages: the source it came from, no edits.
  void set(const BlockOrigin& origin);
  void setModified(bool modified);

 signals:
  void changed(const dtu::BlockOrigin& origin);
  void modifiedChanged(bool modified);

 private:
  BlockOrigin origin_;
  bool unit_read_ = false;
  bool modified_ = false;
};

}  // namespace dtu
