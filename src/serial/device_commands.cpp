#include "serial/device_commands.h"

#include "pages/hex_text.h"

namespace dtu {

std::string BuildParameterFrame(ParameterBlock& block) {
  SealBlock(block);
  std::string frame(kSetParametersPrefix);
  frame += EncodeHexText(block.bytes());
  return frame;
}

}  // namespace dtu
