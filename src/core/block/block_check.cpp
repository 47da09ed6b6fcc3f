#include "core/block/block_check.h"

#include "core/message_language.h"

namespace dtu {

std::string BlockMismatchMessage() {
  return Say(std::string(kBlockMismatchMessage),
             "the parameters do not match their checksum; set them again");
}

bool PrepareLoadedBlock(ParameterBlock& block) {
  // Units and older files do not always fill in the length word; it is not covered by the
  // checksum, so it is simply set before the check.
  block.set_length(static_cast<std::uint16_t>(kBlockSize));
  if (!VerifyBlock(block)) return false;
  NormaliseBlock(block);
  return true;
}

}  // namespace dtu
