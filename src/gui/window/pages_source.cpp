#include "gui/window/pages_source.h"

namespace dtu {

void PagesSource::set(const BlockOrigin& origin) {
  if (origin.kind == BlockOrigin::Kind::Unit) unit_read_ = true;
  if (origin == origin_) return;
  origin_ = origin;
  emit changed(origin_);
}

}  // namespace dtu
