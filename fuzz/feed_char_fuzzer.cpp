// The device link's recogniser on arbitrary byte streams, as a unit, a wrong baud rate or line
// noise may produce them. The sink checks every event it receives; an acknowledgement's box may
// feed further bytes while it is open, as the window's modal boxes do. After the stream, a
// well-formed block must still get through.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "core/block/parameter_block.h"
#include "core/device/device_event_text.h"
#include "core/device/device_link.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "fuzz_check.h"

namespace {

using dtu::fuzz::Require;

// A value ended by "\r\n" keeps at most 298 bytes, one ended by "\r" at most 299.
constexpr std::size_t kLineEndValueLimit = dtu::DeviceLink::kFieldBufferSize - 2;
constexpr std::size_t kReturnValueLimit = dtu::DeviceLink::kFieldBufferSize - 1;
// Input a block needs: 1320 characters of its own, and the seven of the first "DTUPARA" (a later
// "DTUPARA" may end inside the previous block's characters).
constexpr std::size_t kBlockStartSize = 7;
// How deep boxes may nest while they let bytes in.
constexpr int kMaxBoxDepth = 4;

// The unit's values arrive as GBK and reach the sink as UTF-8; they must go back to the same
// bytes, hold no 0x00 and stay within the value buffer.
void CheckValue(std::string_view utf8, std::size_t limit) {
  const dtu::GbkText gbk = dtu::Utf8ToGbk(utf8);
  Require(gbk.ok(), "a received value converts back to GBK");
  Require(gbk.bytes.size() <= limit, "a received value fits the value buffer");
  Require(gbk.bytes.find('\0') == std::string::npos, "a received value ends at its first 0x00");
}

class Stream;

class CheckingSink final : public dtu::DeviceEventSink {
 public:
  explicit CheckingSink(Stream& stream) : stream_(stream) {}

  void Recognised(const dtu::DeviceEvent& event) override {
    if (const auto* answer = std::get_if<dtu::AcknowledgementEvent>(&event))
      Acknowledged(*answer);
    else if (const auto* address = std::get_if<dtu::AddressEvent>(&event))
      Addressed(*address);
    else if (const auto* status = std::get_if<dtu::StatusEvent>(&event))
      Reported(*status);
    else
      Received(std::get<dtu::BlockEvent>(event));
  }

  const std::optional<dtu::ParameterBlock>& last_block() const { return last_block_; }

 private:
  void Acknowledged(const dtu::AcknowledgementEvent& answer);
  void Received(const dtu::BlockEvent& block);

  void Addressed(const dtu::AddressEvent& address) {
    Require(address.row >= 0 && address.row < dtu::kAddressRowCount, "address rows are 0 to 8");
    CheckValue(address.text, kLineEndValueLimit);
  }

  void Reported(const dtu::StatusEvent& status) {
    switch (status.field) {
      case dtu::StatusField::BoardSerial:
      case dtu::StatusField::ModuleSerial:
        CheckValue(status.text, kLineEndValueLimit);
        break;
      case dtu::StatusField::Version:
      case dtu::StatusField::SimSmsCentre:
        CheckValue(status.text, kReturnValueLimit);
        break;
      case dtu::StatusField::Signal:
        CheckValue(status.text, kReturnValueLimit);
        Require(status.signal == dtu::ParseCDecimal(dtu::Utf8ToGbk(status.text).bytes),
                "the signal value is the text read as a number");
        break;
    }
  }

  Stream& stream_;
  std::size_t blocks_ = 0;
  std::optional<dtu::ParameterBlock> last_block_;
};

// The fuzz input as a byte stream, fed by the main loop and by boxes that are open.
class Stream {
 public:
  Stream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // The last byte also chooses how many bytes each open box lets in (0: none), so that a
  // recorded reply is a seed as it stands.
  void Run() {
    if (size_ == 0) return;
    bytes_per_box_ = data_[size_ - 1] % 8;
    while (next_ < size_) FeedNext();
  }

  // What a box does while it is open: take further bytes from the line.
  void OpenBox() {
    if (depth_ >= kMaxBoxDepth) return;
    ++depth_;
    for (std::size_t i = 0; i < bytes_per_box_ && next_ < size_; ++i) FeedNext();
    --depth_;
  }

  void FeedText(std::string_view text) {
    for (char c : text) {
      ++fed_;
      link_.FeedChar(static_cast<std::uint8_t>(c));
    }
  }

  std::size_t fed() const { return fed_; }
  const CheckingSink& sink() const { return sink_; }

 private:
  void FeedNext() {
    ++fed_;
    link_.FeedChar(data_[next_++]);
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
  std::size_t fed_ = 0;
  std::size_t bytes_per_box_ = 0;
  int depth_ = 0;
  CheckingSink sink_{*this};
  dtu::DeviceLink link_{sink_};
};

void CheckingSink::Acknowledged(const dtu::AcknowledgementEvent& answer) {
  // Acceptances are information boxes; the unit's refusal of a frame is an error.
  const dtu::EventText shown = dtu::TextOf(answer);
  const bool refused = answer.acknowledgement == dtu::Acknowledgement::Refused;
  Require(shown.boxed && !shown.text.empty(), "every acknowledgement has its box");
  Require(shown.icon == (refused ? dtu::MessageKind::Error : dtu::MessageKind::Information),
          "each acknowledgement has its icon");
  stream_.OpenBox();
}

void CheckingSink::Received(const dtu::BlockEvent& block) {
  ++blocks_;
  Require(kBlockStartSize + blocks_ * dtu::DeviceLink::kBlockHexSize <= stream_.fed(),
          "every block takes 1320 characters of input");
  dtu::ParameterBlock loaded = block.block;
  loaded.set_length(static_cast<std::uint16_t>(dtu::kBlockSize));
  Require(block.intact == dtu::VerifyBlock(loaded), "a block is intact when its checksum matches");
  last_block_ = block.block;
}

// A sealed block with a little of everything, as a unit would send it.
dtu::ParameterBlock SampleBlock() {
  dtu::ParameterBlock block;
  block.set_protocol(1);
  block.set_port1(5001);
  block.set_apn("CMNET");
  block.set_centre_ip1({192, 168, 1, 10});
  dtu::SealBlock(block);
  return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Stream stream(data, size);
  stream.Run();

  // Whatever came before, "DTUPARA" and the digits of a block deliver exactly that block.
  static const dtu::ParameterBlock sample = SampleBlock();
  stream.FeedText("DTUPARA");
  stream.FeedText(dtu::EncodeHexText(sample.bytes()));
  Require(stream.sink().last_block() == sample, "a well-formed block gets through after any input");
  return 0;
}
