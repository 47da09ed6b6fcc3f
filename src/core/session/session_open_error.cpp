#include "core/session/session_open_error.h"

namespace dtu {

PortOpenFailure OpenFailureOf(const SessionOpenError& error) {
  switch (error.kind) {
    case SessionOpenError::Kind::Missing:
      return PortOpenFailure::Missing;
    case SessionOpenError::Kind::Busy:
      return PortOpenFailure::Busy;
    case SessionOpenError::Kind::NoPermission:
      return PortOpenFailure::NoPermission;
    case SessionOpenError::Kind::NotATerminal:
      return PortOpenFailure::NotATerminal;
    case SessionOpenError::Kind::LineRefused:
    case SessionOpenError::Kind::NoMonitor:
    case SessionOpenError::Kind::Other:
      break;
  }
  return PortOpenFailure::Other;
}

}  // namespace dtu
