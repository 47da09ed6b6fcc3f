#include "core/production/port_channel.h"

#include <utility>

#include "core/message_language.h"

namespace dtu {

PortChannel::PortChannel(std::string device, LineSettings line,
                         std::unique_ptr<PortBackend> backend)
    : device_(std::move(device)), line_(line), session_(std::move(backend)) {}

std::optional<ChannelOpenError> PortChannel::Open() {
  const std::optional<SessionOpenError> error = session_.Open(device_, line_);
  if (!error) return std::nullopt;
  // A unit on a wrongly set line would only seem not to answer.
  session_.Close();
  return ChannelOpenErrorOf(*error);
}

ExchangeResult PortChannel::Ask(const ExchangeRequest& request, std::stop_token stop) {
  return session_.Ask(request, stop);
}

ChannelOpenError ChannelOpenErrorOf(const SessionOpenError& error) {
  if (error.kind != SessionOpenError::Kind::LineRefused)
    return {OpenFailureOf(error), error.reason};
  const std::string call = std::string(error.setup.call) + ": " + error.reason;
  return {PortOpenFailure::Other, Say("无法给它设置串口参数（" + call + "）",
                                      "the line settings cannot be put on it (" + call + ")")};
}

}  // namespace dtu
