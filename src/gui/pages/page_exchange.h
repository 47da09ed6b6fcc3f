#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace dtu {

class EditorPage;

// One run of a page's data exchange, in one direction. A page's Exchange function calls one
// method per exchanged control, in page order; the same list serves both directions:
//
//   dx.Text(gprs_id::kApn, m.apn);
//   dx.Byte(gprs_id::kReceiverCount, m.receiver_count, 1, 32);
//
// Towards the members, numeric entries are validated: the first refused entry shows its message
// (exclamation icon, the application's title), gets the focus back and ends the run; the calls
// after it do nothing. A run may be restricted to one control (the others are skipped).
class PageExchange {
 public:
  enum class Direction { ToMembers, ToControls };

  PageExchange(EditorPage& page, Direction direction, int only_id = 0);

  // An edit's text (UTF-8).
  void Text(int id, std::string& member);
  // A check box: 1 checked, 0 clear.
  void Check(int id, int& member);
  // A drop-down list's selected index, -1 for none.
  void Index(int id, int& member);
  // A non-negative integer: "“请填入一个正整数。”" when the edit holds none.
  void Unsigned(int id, std::uint32_t& member);
  // A byte from `min` to `max`: "“请填入一个在0和255之间的整数。”" when the edit holds no byte,
  // "“请填入一个在%1和%2之间的整数。”" with the bounds when the byte is outside them.
  void Byte(int id, std::uint8_t& member, std::uint8_t min, std::uint8_t max);
  // A group of radio buttons as the index of the checked one, -1 for none.
  void RadioIndex(std::initializer_list<int> ids, int& member);

  bool ok() const { return !failed_; }

 private:
  bool Takes(int id) const;
  bool Takes(std::initializer_list<int> ids) const;
  bool toMembers() const { return direction_ == Direction::ToMembers; }
  void Fail(int id, std::string_view message);

  EditorPage& page_;
  Direction direction_;
  int only_id_;
  bool failed_ = false;
};

}  // namespace dtu
