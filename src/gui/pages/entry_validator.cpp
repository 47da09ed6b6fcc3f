#include "gui/pages/entry_validator.h"

namespace dtu {

QValidator::State EntryValidator::validate(QString& input, int&) const {
  return rule_(input.toStdString()) ? Acceptable : Invalid;
}

}  // namespace dtu
