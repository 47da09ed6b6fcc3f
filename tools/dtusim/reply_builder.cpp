#include "dtusim/reply_builder.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/text/hex_text.h"

namespace dtusim {

ReplyBuilder::ReplyBuilder(DeviceStatus status, FaultSet faults)
    : status_(std::move(status)), faults_(std::move(faults)) {}

Reply ReplyBuilder::ParametersReply(const dtu::ParameterBlock& block) {
  std::vector<std::string> items = StatusItems();
  items.push_back(BlockItem(block));
  return Shape(items);
}

Reply ReplyBuilder::SignalReply() {
  return Shape({"RSSI:" + status_.rssi + "\r"});
}

Reply ReplyBuilder::AcceptedReply() {
  return Shape({"$$$SETOK"});
}

Reply ReplyBuilder::RejectedReply() {
  return Shape({"$$$ChkErr\r"});
}

Reply ReplyBuilder::BabbleReply() {
  std::string junk;
  while (junk.size() < kBabbleSize) junk += Junk();
  Reply reply;
  reply.pieces.push_back({std::move(junk), {}});
  reply.endless = true;
  return reply;
}

std::vector<std::string> ReplyBuilder::StatusItems() const {
  std::vector<std::string> items;
  items.push_back("\r\n    IP:" + status_.ip + "\r\n");
  for (std::size_t i = 0; i < status_.dns.size(); ++i)
    items.push_back("DNSIP" + std::to_string(i + 1) + ":" + status_.dns[i] + "\r\n");
  for (std::size_t i = 0; i < status_.dns_server.size(); ++i)
    items.push_back("DNSSERVERIP" + std::to_string(i + 1) + ":" + status_.dns_server[i] + "\r\n");
  items.push_back("XuLieHao:" + status_.board_serial + "\r\n");
  items.push_back("GSN:" + status_.gsn + "\r\n");
  items.push_back("VER:" + status_.version + "\r");
  items.push_back("CSCA:" + status_.csca + "\r");
  items.push_back("RSSI:" + status_.rssi + "\r");
  return items;
}

// "DTUPARA" and the digits directly behind it: the tool takes exactly the 1,320 characters after
// the keyword as the block, so nothing may stand between them.
std::string ReplyBuilder::BlockItem(const dtu::ParameterBlock& block) const {
  dtu::ParameterBlock sent = block;
  if (faults_.contains(Fault::BadChecksum)) sent.bytes()[2] ^= 0x5A;
  std::string digits = dtu::EncodeHexText(sent.bytes());
  if (faults_.contains(Fault::Lowercase))
    std::ranges::transform(digits, digits.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (faults_.contains(Fault::ShortBlock)) digits.resize(kShortBlockDigits);
  return "DTUPARA" + digits;
}

// Joins the items of an answer and applies the faults that concern its shape: junk between the
// items, the cut of a vanishing port, the pieces and pauses of a slow line.
Reply ReplyBuilder::Shape(const std::vector<std::string>& items) {
  const bool noise = faults_.contains(Fault::Noise);
  std::string text;
  for (const std::string& item : items) {
    if (noise) text += Junk();
    text += item;
  }
  if (noise) text += Junk();

  Reply reply;
  if (faults_.contains(Fault::Vanish)) {
    text.resize(text.size() / 2);
    reply.vanish_after = true;
  }
  const std::size_t piece = faults_.contains(Fault::Chunked) ? kChunkSize : text.size();
  for (std::size_t at = 0; at < text.size(); at += piece)
    reply.pieces.push_back(
        {text.substr(at, piece), at == 0 ? std::chrono::milliseconds{0} : kChunkPause});
  if (reply.pieces.empty()) reply.pieces.push_back({});
  if (faults_.contains(Fault::Pause)) PauseHalfWay(reply);
  return reply;
}

// The piece that holds the middle byte starts there, after the pause.
void ReplyBuilder::PauseHalfWay(Reply& reply) {
  std::size_t before = reply.size() / 2;
  for (std::size_t i = 0; i < reply.pieces.size(); ++i) {
    ReplyPiece& piece = reply.pieces[i];
    if (before >= piece.bytes.size()) {
      before -= piece.bytes.size();
      continue;
    }
    ReplyPiece rest{piece.bytes.substr(before), kPause};
    piece.bytes.resize(before);
    reply.pieces.insert(reply.pieces.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(rest));
    return;
  }
}

// One to eight junk bytes from a small linear congruential generator.
std::string ReplyBuilder::Junk() {
  const auto next = [this] {
    junk_state_ = junk_state_ * 1103515245u + 12345u;
    return junk_state_ >> 16;
  };
  std::string junk(1 + next() % 8, ' ');
  for (char& c : junk) c = kJunkBytes[next() % kJunkBytes.size()];
  return junk;
}

}  // namespace dtusim
