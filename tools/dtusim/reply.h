#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace dtusim {

// One stretch of an answer, sent after a pause.
struct ReplyPiece {
  std::string bytes;
  std::chrono::milliseconds pause_before{0};
};

// An answer as it goes out on the line.
struct Reply {
  std::vector<ReplyPiece> pieces;
  bool vanish_after = false;  // the port disappears once these bytes are out
  bool endless = false;       // more of the same follows for ever

  std::size_t size() const {
    std::size_t total = 0;
    for (const ReplyPiece& piece : pieces) total += piece.bytes.size();
    return total;
  }
  std::string Text() const {
    std::string text;
    for (const ReplyPiece& piece : pieces) text += piece.bytes;
    return text;
  }
};

}  // namespace dtusim
