#include "gui/window/gauge_geometry.h"

#include <algorithm>

namespace dtu {
namespace {

constexpr int kOrigin = 2;    // left edge of the first bar
constexpr int kBarWidth = 3;  // bars stand side by side, 3 pixels each

GaugeColour ColourOf(int value) {
  if (value < 10) return kGaugeWeakColour;
  if (value < 15) return kGaugeFairColour;
  if (value < 20) return kGaugeGoodColour;
  return kGaugeStrongColour;
}

}  // namespace

GaugeShapes LayoutGauge(int width, int height, int value) {
  GaugeShapes shapes;
  const int inner_width = width - 5;
  const int inner_height = height - 5;
  const int baseline = height - 2;
  const int count = std::max(inner_width / kBarWidth, 0);

  shapes.outline = {GaugePoint{kOrigin, baseline}, GaugePoint{kBarWidth * count, baseline},
                    GaugePoint{kBarWidth * count, baseline - inner_height},
                    GaugePoint{kOrigin, baseline}};
  const int shown = value > kGaugeMaxSignal ? 0 : value;
  shapes.colour = ColourOf(shown);
  if (count == 0) return shapes;

  const double step = static_cast<double>(inner_height) / count;
  for (int i = 0; i < count; ++i) {
    const int left = kOrigin + kBarWidth * i;
    // An area lower than the outline's margins gives bars of no height rather than upside down.
    const int top = std::min(baseline - static_cast<int>(i * step), baseline);
    shapes.bars.push_back(GaugeRect{left, top, left + kBarWidth, baseline});
  }

  const double per_unit = count / static_cast<double>(kGaugeMaxSignal);
  shapes.coloured_bars = std::clamp(static_cast<int>(shown * per_unit), 0, count);
  return shapes;
}

}  // namespace dtu
