#pragma once

#include <QString>

#include <vector>

namespace dtu {

struct MainWindowTooltip {
  int id = 0;  // main_id
  QString text;
};

// The tooltips of the main window's own controls (the port group, the read and write buttons,
// the gauge, the channel-mode radios, the summary pane): what each sets or does, and its limits,
// the baud rates from the same list the port lists offer.
std::vector<MainWindowTooltip> MainWindowTooltips();

}  // namespace dtu
