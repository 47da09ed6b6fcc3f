// The device link's recogniser on arbitrary byte streams, as a unit, a wrong baud rate or line
// noise may produce them. The sink checks every call it receives; a box may feed further bytes
// while it is open, as the window's modal boxes do. After the stream, a well-formed block must
// still get through.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/device/device_link.h"
#include "core/device/status_ids.h"
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

class CheckingSink final : public dtu::DeviceLinkSink {
 public:
  explicit CheckingSink(Stream& stream) : stream_(stream) {}

  void Message(dtu::MessageKind kind, std::string_view text, std::string_view caption) override;

  void SetAddress(int row, std::string_view text) override {
    RequireNoSignalPending();
    Require(row >= 0 && row < dtu::kAddressRowCount, "address rows are 0 to 8");
    CheckValue(text, kLineEndValueLimit);
  }

  void SetStatusText(int control_id, std::string_view text) override {
    RequireNoSignalPending();
    switch (control_id) {
      case dtu::main_id::kBoardSerial:
      case dtu::main_id::kModuleSerial:
        CheckValue(text, kLineEndValueLimit);
        break;
      case dtu::main_id::kVersion:
      case dtu::sms_id::kSimSmsCentre:
        CheckValue(text, kReturnValueLimit);
        break;
      case dtu::main_id::kSignalText:
        CheckValue(text, kReturnValueLimit);
        expected_signal_ = dtu::ParseCDecimal(dtu::Utf8ToGbk(text).bytes);
        break;
      default:
        Require(false, "status texts go to known controls only");
    }
  }

  void SetSignal(int value) override {
    Require(expected_signal_.has_value(), "a signal value follows its text");
    Require(value == *expected_signal_, "the signal value is the text read as a number");
    expected_signal_.reset();
  }

  void BlockReceived(const dtu::ParameterBlock& block) override;

  const std::optional<dtu::ParameterBlock>& last_block() const { return last_block_; }

 private:
  void RequireNoSignalPending() const {
    Require(!expected_signal_.has_value(), "the signal text is followed by its value at once");
  }

  Stream& stream_;
  std::optional<int> expected_signal_;
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

void CheckingSink::Message(dtu::MessageKind kind, std::string_view text, std::string_view caption) {
  RequireNoSignalPending();
  // Acceptances are information boxes; the unit's refusal of a frame is an error.
  using dtu::MessageKind;
  const bool known =
      (text == "设置验证码成功." && caption.empty() && kind == MessageKind::Information) ||
      (text == "参数设置成功!" && caption == "设置参数" && kind == MessageKind::Information) ||
      (text == "参数校验失败!" && caption == "设置参数" && kind == MessageKind::Error);
  Require(known, "only the three acknowledgements are shown, each with its icon");
  stream_.OpenBox();
}

void CheckingSink::BlockReceived(const dtu::ParameterBlock& block) {
  RequireNoSignalPending();
  ++blocks_;
  Require(kBlockStartSize + blocks_ * dtu::DeviceLink::kBlockHexSize <= stream_.fed(),
          "every block takes 1320 characters of input");
  last_block_ = block;
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
