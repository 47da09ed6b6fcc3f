#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/block/parameter_text.h"
#include "core/user_messages.h"

namespace dtuctl {

// What the commands on a block's text form (export, import, set, diff) share.

// A block a command works on, or the exit status that ends the command.
struct BlockSource {
  std::optional<dtu::ParameterBlock> block;
  int status = 0;
};

// Reads a parameter file and verifies its checksum, leaving every byte as it is: a file whose
// checksum does not hold is refused with "参数设置有误，请重新设置" (status 2), as the tool refuses
// to open it.
BlockSource ReadCheckedBlockFile(const std::string& path, dtu::UserMessages& messages);

// Reads A or B of diff: a text form (imported whole, without base) or a parameter file.
BlockSource ReadBlockOrText(const std::string& path, dtu::UserMessages& messages);

// The whole text at `path`, or standard input for "-"; nothing after a message.
std::optional<std::string> ReadTextOperand(const std::string& path, dtu::UserMessages& messages);

// Shows the import's refusal, or else returns its block: when it was read over `base` and gives
// only some fields, those are entries and follow the pages' rules of an entry (a device number
// of 0 stores 8000...; core/editing/entry_rules.h), each change said on a line
// ("注意：..."). Then come its warnings about the pages' rules ("警告：...").
std::optional<dtu::ParameterBlock> TakeImport(const dtu::TextImport& imported,
                                              std::string_view source, dtu::UserMessages& messages,
                                              const std::optional<dtu::ParameterBlock>& base);

// Writes a block to a parameter file as the tool saves it; false after a message.
bool SaveBlock(const std::string& path, const dtu::ParameterBlock& block,
               dtu::UserMessages& messages);

// One line of diff: "port1 (端口): 5001 -> 6001", the field's name, the label the window shows
// for it and both values as the text form writes them.
std::string DifferenceLine(const dtu::MemberDifference& difference);

}  // namespace dtuctl
