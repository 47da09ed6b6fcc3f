#include "gui/window/editor_tab_set.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <string_view>

#include "core/block/block_codes.h"
#include "core/block/parameter_block.h"
#include "core/editing/field_rules.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/platform/qt_text.h"
#include "gui/window/main_window_ids.h"

// The tab images live in a static library; their resources must be registered by name.
static void RegisterTabImages() {
  Q_INIT_RESOURCE(tab_images);
}

namespace dtu {
namespace {

using namespace main_id;

// The five tab images by index: a unit, SMS, GPRS, the serial port and dual channel. The tabs
// show images 1 to 3; all five are kept for tabImage().
constexpr std::array<const char*, 5> kImageFiles{":/tabs/tab_device.png", ":/tabs/tab_sms.png",
                                                 ":/tabs/tab_gprs.png", ":/tabs/tab_serial.png",
                                                 ":/tabs/tab_dual.png"};
constexpr int kSmsImage = 1;
constexpr int kGprsImage = 2;
constexpr int kSerialImage = 3;

struct ModeRadio {
  int id;
  std::string_view text;
  std::uint8_t mode;
};
constexpr std::array<ModeRadio, 3> kModeRadios{{
    {kGprsModeRadio, "GPRS", ToByte(WorkMode::Gprs)},
    {kSmsModeRadio, "短信", ToByte(WorkMode::Sms)},
    {kDualModeRadio, "双通道", ToByte(WorkMode::Dual)},
}};

}  // namespace

EditorTabSet::EditorTabSet(ParameterBlock& working_block, UserMessages& messages, QWidget* parent)
    : QWidget(parent), working_block_(working_block) {
  CreateModeRadios();
  CreatePages(messages);
}

EditorTabSet::~EditorTabSet() = default;

void EditorTabSet::CreateModeRadios() {
  // One group: exactly one mode stays checked, also when the checked radio is clicked again.
  mode_group_ = new QButtonGroup(this);
  mode_group_->setExclusive(true);
  auto* radio_row = new QHBoxLayout;
  for (std::size_t i = 0; i < kModeRadios.size(); ++i) {
    const ModeRadio& item = kModeRadios[i];
    auto* radio = new QRadioButton(FromUtf8(item.text), this);
    radio->setObjectName(QString::number(item.id));
    connect(radio, &QRadioButton::clicked, this, [this, mode = item.mode] { ChooseMode(mode); });
    radio_row->addWidget(radio);
    mode_group_->addButton(radio);
    mode_radios_[i] = radio;
  }
  mode_radios_[2]->setVisible(false);  // dual channel is chosen only by a loaded block
  // A loaded work mode none of the three stands for is kept: shown on a radio of its own.
  unit_mode_radio_ = new QRadioButton(this);
  unit_mode_radio_->setObjectName(QString::number(kUnitModeRadio));
  unit_mode_radio_->setVisible(false);
  connect(unit_mode_radio_, &QRadioButton::clicked, this, [this] { ChooseMode(unit_mode_); });
  radio_row->addWidget(unit_mode_radio_);
  mode_group_->addButton(unit_mode_radio_);
  radio_row->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(radio_row);
}

void EditorTabSet::CreatePages(UserMessages& messages) {
  RegisterTabImages();
  for (std::size_t i = 0; i < images_.size(); ++i) images_[i] = QIcon(kImageFiles[i]);

  tab_bar_ = new QTabBar(this);
  tab_bar_->setObjectName(QString::number(kPageTabs));
  tab_bar_->setIconSize(QSize(16, 16));
  tab_bar_->setExpanding(false);
  tab_bar_->setDrawBase(false);

  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  auto* pages_layout = new QGridLayout(frame);
  pages_layout->setContentsMargins(2, 2, 2, 2);  // the pages keep margins of their own
  gprs_page_ = new GprsPage(messages, frame);
  sms_page_ = new SmsPage(messages, frame);
  serial_page_ = new SerialPage(messages, frame);
  // The three pages share one place; only the shown one takes it.
  for (QWidget* page : {static_cast<QWidget*>(gprs_page_), static_cast<QWidget*>(sms_page_),
                        static_cast<QWidget*>(serial_page_)})
    pages_layout->addWidget(page, 0, 0);

  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addWidget(tab_bar_);
  layout->addWidget(frame, 1);
  layout->setSpacing(0);

  RebuildTabSet(working_block_.work_mode());
  sms_page_->setVisible(false);
  serial_page_->setVisible(false);
  connect(tab_bar_, &QTabBar::currentChanged, this,
          [this] { ShowSelectedPage(working_block_.work_mode()); });
}

QWidget* EditorTabSet::control(int id) const {
  if (id == kPageTabs) return tab_bar_;
  return modeRadio(id);
}

QRadioButton* EditorTabSet::modeRadio(int id) const {
  for (std::size_t i = 0; i < kModeRadios.size(); ++i)
    if (kModeRadios[i].id == id) return mode_radios_[i];
  if (id == kUnitModeRadio) return unit_mode_radio_;
  return nullptr;
}

const QIcon& EditorTabSet::tabImage(int index) const {
  return images_.at(static_cast<std::size_t>(index));
}

void EditorTabSet::RebuildTabSet(std::uint8_t work_mode) {
  // Rebuilding is not the user choosing a tab: the caller shows the page it wants.
  const QSignalBlocker quiet(tab_bar_);
  while (tab_bar_->count() > 0) tab_bar_->removeTab(0);
  const auto add_tab = [this](std::string_view text, int image) {
    const int index = tab_bar_->addTab(images_[static_cast<std::size_t>(image)], FromUtf8(text));
    tab_bar_->setTabData(index, image);
  };
  if (work_mode == ToByte(WorkMode::Sms)) {
    add_tab("短信参数", kSmsImage);
  } else {
    add_tab("GPRS参数", kGprsImage);
  }
  add_tab("串口参数", kSerialImage);
  tab_bar_->setCurrentIndex(0);
}

void EditorTabSet::ShowSelectedPage(std::uint8_t work_mode) {
  QWidget* shown = nullptr;
  switch (tab_bar_->currentIndex()) {
    case 0:
      shown = work_mode == ToByte(WorkMode::Sms) ? static_cast<QWidget*>(sms_page_) : gprs_page_;
      break;
    case 1:
      shown = serial_page_;
      break;
    default:
      break;
  }
  for (QWidget* page : {static_cast<QWidget*>(gprs_page_), static_cast<QWidget*>(sms_page_),
                        static_cast<QWidget*>(serial_page_)})
    if (page != shown) page->setVisible(false);
  if (shown != nullptr) shown->setVisible(true);
  // The serial page's groups follow the mode each time the pages change.
  serial_page_->ShowGroupsForMode(work_mode);
}

void EditorTabSet::CheckModeRadio(std::uint8_t work_mode) {
  for (std::size_t i = 0; i < kModeRadios.size(); ++i) {
    if (kModeRadios[i].mode == work_mode) {
      mode_radios_[i]->setChecked(true);
      unit_mode_radio_->setVisible(false);
      return;
    }
  }
  unit_mode_ = work_mode;
  unit_mode_radio_->setText(QStringLiteral("工作方式 ") + FromUtf8(UnitOwnValueEntry(work_mode)));
  unit_mode_radio_->setVisible(true);
  unit_mode_radio_->setChecked(true);
}

std::optional<std::uint8_t> EditorTabSet::CheckedMode() const {
  for (std::size_t i = 0; i < kModeRadios.size(); ++i)
    if (mode_radios_[i]->isChecked()) return kModeRadios[i].mode;
  if (unit_mode_radio_->isChecked()) return unit_mode_;
  return std::nullopt;
}

void EditorTabSet::ChooseMode(std::uint8_t work_mode) {
  working_block_.set_work_mode(work_mode);
  RebuildTabSet(work_mode);
  ShowSelectedPage(work_mode);
}

}  // namespace dtu
