// dtuctl decode [-o FILE]: turns a unit's "DTUPARA" reply back into the 660 bytes of its block.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_file.h"
#include "core/message_language.h"
#include "core/text/hex_text.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "decode";
constexpr std::string_view kDescription =
    R"(Reads a unit's parameter reply from standard input: "DTUPARA" followed by 1320 hex
digits, or the 1320 digits alone. White space before and after is ignored; anything else
is refused. Writes the 660 bytes of the block unchanged to standard output, or with -o to
FILE as a parameter file (an existing file is overwritten from its start and not
shortened, as the tool saves).)";
constexpr std::string_view kFooter =
    "exit status: 0 written, 1 bad input or the output could not be written";
constexpr std::string_view kChineseDescription =
    R"(从标准输入读取单元的参数回复："DTUPARA" 后跟 1320 位十六进制数字，或只有这 1320 位
数字。前后的空白被忽略；其他内容都被拒绝。把参数块的 660 字节原样写到标准输出，或用 -o
写到参数文件 FILE（已有的文件从头覆盖、不截短，与本工具保存时一样）。)";
constexpr std::string_view kChineseFooter = R"(退出状态：0 已写出，1 输入有误或无法写出输出)";

constexpr std::string_view kReplyKeyword = "DTUPARA";
constexpr std::size_t kHexDigits = 2 * dtu::kBlockSize;
// A reply is 1327 bytes; much more than that is not a reply, and is not read to its end.
constexpr std::size_t kInputLimit = 64 * 1024;

// Standard input up to kInputLimit + 1 bytes (enough to tell that it is too long).
std::optional<std::string> ReadStandardInput() {
  std::string input;
  std::array<char, 4096> buffer;
  while (input.size() <= kInputLimit) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin);
    input.append(buffer.data(), n);
    if (n < buffer.size()) break;
  }
  if (std::ferror(stdin)) return std::nullopt;
  return input;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string DescribeChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  std::array<char, 16> text{};
  if (byte >= 0x21 && byte < 0x7F)
    std::snprintf(text.data(), text.size(), "'%c'", c);
  else
    std::snprintf(text.data(), text.size(), "0x%02X", byte);
  return (byte >= 0x21 && byte < 0x7F ? "" : dtu::Say("字节 ", "byte ")) + std::string(text.data());
}

// The hex digits of a reply, or a description of what is wrong with it.
struct ReplyDigits {
  std::string_view digits;
  std::string problem;
};

ReplyDigits ExtractDigits(std::string_view input) {
  std::string_view text = TrimBlanks(input);
  if (text.starts_with(kReplyKeyword)) text.remove_prefix(kReplyKeyword.size());
  if (text.empty())
    return {{}, dtu::Say("标准输入中没有十六进制数字", "no hex digits on standard input")};
  const std::string expected = std::to_string(kHexDigits);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i]))) continue;
    const std::string what = DescribeChar(text[i]);
    const std::string position = std::to_string(i + 1);
    return {{},
            dtu::Say("十六进制数字的第 " + position + " 位是意外的 " + what + "（应为 " + expected +
                         " 个十六进制数字，前面可以有 \"DTUPARA\"）",
                     "unexpected " + what + " at position " + position +
                         " of the hex digits (expected " + expected +
                         " hex digits, optionally after \"DTUPARA\")")};
  }
  if (text.size() != kHexDigits) {
    const std::string got = std::to_string(text.size());
    return {{},
            dtu::Say("应为 " + expected + " 个十六进制数字，实有 " + got,
                     "expected " + expected + " hex digits, got " + got)};
  }
  return {text, {}};
}

int Fail(std::string_view problem) {
  const std::string line = "dtuctl decode: " + std::string(problem) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return kExitFailure;
}

class DecodeCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddOutputOption(parser, output_,
                    dtu::Say("把参数文件写入 FILE，而不是标准输出",
                             "write the parameter file FILE instead of standard output"));
  }

  int Run() override {
    ConsoleMessages messages;
    if (!OutputIsNotInput("-", output_, messages)) return kExitFailure;
    const std::optional<std::string> input = ReadStandardInput();
    if (!input) return Fail(dtu::Say("无法读取标准输入", "cannot read standard input"));
    if (input->size() > kInputLimit) {
      const std::string size = std::to_string(kReplyKeyword.size() + kHexDigits);
      return Fail(dtu::Say("输入过长：参数回复是 " + size + " 字节",
                           "input too long: a parameter reply is " + size + " bytes"));
    }
    const ReplyDigits reply = ExtractDigits(*input);
    if (!reply.problem.empty()) return Fail(reply.problem);

    const std::vector<std::uint8_t> decoded = dtu::DecodeHexText(reply.digits);
    dtu::BlockBytes bytes{};
    std::copy(decoded.begin(), decoded.end(), bytes.begin());
    const dtu::ParameterBlock block(bytes);

    if (output_.empty()) {
      const auto& raw = block.bytes();
      return WriteToStdout(kName, {reinterpret_cast<const char*>(raw.data()), raw.size()})
                 ? kExitOk
                 : kExitFailure;
    }
    const dtu::FileResult result = dtu::WriteParameterFile(output_, block);
    if (!result.ok()) {
      messages.Show(dtu::MessageKind::Error, output_ + ": " + result.message);
      return kExitFailure;
    }
    return kExitOk;
  }

 private:
  std::string output_;
};

const RegisterCommand<DecodeCommand> kRegistered{
    {kName, "turn a DTUPARA reply on standard input into the 660 block bytes", kDescription,
     kFooter, "把标准输入中的 DTUPARA 回复变成 660 字节的参数块", kChineseDescription,
     kChineseFooter}};

}  // namespace
}  // namespace dtuctl
