#include "core/device/device_commands.h"

#include "core/text/hex_text.h"

namespace dtu {

std::string BuildParameterFrame(ParameterBlock& block) {
  SealBlock(block);
  std::string frame(kSetParametersPrefix);
  frame += EncodeHexText(block.bytes());
  return frame;
}

}  // namespace dtu
