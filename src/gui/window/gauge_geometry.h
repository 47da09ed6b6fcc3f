#pragma once

#include <array>
#include <vector>

namespace dtu {

// The signal-strength gauge as shapes, computed without painting so that it can be checked
// pixel by pixel: a grey outline, a row of bars that grow from left to right, and the first few
// bars coloured by the strength.

struct GaugePoint {
  int x = 0;
  int y = 0;
  bool operator==(const GaugePoint&) const = default;
};

// A rectangle with exclusive right and bottom edges: it covers x in [left, right) and
// y in [top, bottom), so a bar whose top equals its bottom covers nothing.
struct GaugeRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const GaugeRect&) const = default;
};

struct GaugeColour {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const GaugeColour&) const = default;
};

inline constexpr GaugeColour kGaugeOutlineColour{192, 192, 192};
inline constexpr GaugeColour kGaugeEmptyBarColour{160, 160, 160};
inline constexpr GaugeColour kGaugeWeakColour{255, 0, 0};    // below 10
inline constexpr GaugeColour kGaugeFairColour{255, 0, 255};  // 10 to 14
inline constexpr GaugeColour kGaugeGoodColour{0, 0, 255};    // 15 to 19
inline constexpr GaugeColour kGaugeStrongColour{0, 255, 0};  // 20 and above
inline constexpr GaugeColour kGaugeBackground{255, 255, 0};  // the gauge's yellow ground
inline constexpr GaugeColour kGaugeText{255, 0, 0};          // its red text colour
inline constexpr int kGaugeMaxSignal = 31;                   // the unit reports 0 to 31

struct GaugeShapes {
  // The outline's corners in drawing order: along the baseline, up the right edge, back to the
  // start (a closed triangle).
  std::array<GaugePoint, 4> outline{};
  std::vector<GaugeRect> bars;  // bar i at index i, all filled with kGaugeEmptyBarColour first
  int coloured_bars = 0;        // the first this many bars are then filled with `colour`
  GaugeColour colour{};
};

// The gauge of a `width` × `height` pixel area showing `value`. There are (width - 5) / 3 bars,
// each 3 pixels wide from x = 2, rising in equal steps of (height - 5) / count towards the right.
// A value above 31 counts as 0; of the bars, value × count / 31 (rounded down) are coloured red,
// magenta, blue or green as the value reaches 10, 15 and 20. An area too small for one bar has
// none; a negative value colours none.
GaugeShapes LayoutGauge(int width, int height, int value);

}  // namespace dtu
