#include "gui/window/pages_source.h"

namespace dtu {

void PagesSource::set(const BlockOrigin& origin) {
  if (origin.kind == BlockOrigin::Kind::Unit) unit_read_ = true;
  setModified(false);
  if (origin == origin_) return;
  origin_ = origin;
  emit changed(origin_);
}

void PagesSource::setModified(bool modified) {
  if (modified == modified_) return;
  modified_ = modified;
  emit modifiedChanged(modified_);
}

}  // namespace dtu
