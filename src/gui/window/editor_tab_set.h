#pragma once

#include <QIcon>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QButtonGroup;
class QRadioButton;
class QTabBar;

namespace dtu {

class GprsPage;
class ParameterBlock;
class SerialPage;
class SmsPage;
class UserMessages;

// The editor: the three pages behind a bar of two tabs that follows the channel mode, and the
// channel-mode radio buttons. The channel mode is not kept here: it is `work_mode` of the
// working block the main window hands in (by reference, for the life of the tab set). Clicking
// a mode radio writes `work_mode`, rebuilds the tabs and shows the page of the first tab.
//
// Construction creates the tab images, the pages and the tabs for the block's current mode,
// with the network page shown and the other two hidden; no mode radio is checked yet.
class EditorTabSet : public QWidget {
  Q_OBJECT

 public:
  EditorTabSet(ParameterBlock& working_block, UserMessages& messages, QWidget* parent = nullptr);
  ~EditorTabSet() override;

  GprsPage& gprsPage() const { return *gprs_page_; }
  SmsPage& smsPage() const { return *sms_page_; }
  SerialPage& serialPage() const { return *serial_page_; }

  // The tab bar main_id::kPageTabs and the mode radios by ID; nullptr for other IDs.
  QWidget* control(int id) const;
  QTabBar* tabBar() const { return tab_bar_; }
  QRadioButton* modeRadio(int id) const;

  // Tab image 0 to 4 (each 16 × 16). Each tab keeps the index of its image as its tab data.
  const QIcon& tabImage(int index) const;

  // Replaces the tabs by the two tabs of the mode: "短信参数" and "串口参数" in SMS mode (1),
  // "GPRS参数" and "串口参数" in every other mode; selects the first. Shows no page by itself.
  void RebuildTabSet(std::uint8_t work_mode);

  // Shows the page of the selected tab and hides the other two: the first tab leads to the SMS
  // page in SMS mode and to the network page otherwise, the second to the serial page. The
  // serial page's groups follow the mode.
  void ShowSelectedPage(std::uint8_t work_mode);

  // Checks the radio of a mode (0, 1, 2) without the click reaction. Any other value is the
  // unit's own mode: an extra radio (main_id::kUnitModeRadio) shows it, checked, so that it is
  // collected unchanged unless the user picks another mode. The radios form one group: once one
  // is checked, exactly one stays checked.
  void CheckModeRadio(std::uint8_t work_mode);

  // The mode of the checked radio, or nothing when none is checked.
  std::optional<std::uint8_t> CheckedMode() const;

 private:
  void CreatePages(UserMessages& messages);
  void CreateModeRadios();
  void ChooseMode(std::uint8_t work_mode);

  ParameterBlock& working_block_;
  std::array<QIcon, 5> images_;
  QTabBar* tab_bar_ = nullptr;  // the widgets are owned by Qt's parent chain
  std::array<QRadioButton*, 3> mode_radios_{};
  QButtonGroup* mode_group_ = nullptr;
  QRadioButton* unit_mode_radio_ = nullptr;
  std::uint8_t unit_mode_ = 0;  // the mode the extra radio stands for
  GprsPage* gprs_page_ = nullptr;
  SmsPage* sms_page_ = nullptr;
  SerialPage* serial_page_ = nullptr;
};

}  // namespace dtu
