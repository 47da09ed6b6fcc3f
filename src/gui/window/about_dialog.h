#pragma once

#include <QDialog>

namespace dtu {

// The About window: the program's icon, name and version and a line naming the maker. Shown
// modally from the window's "关于GPRS设备配置软件" item; it has no buttons of its own and closes
// with the title bar's close button (or Esc).
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // Shows a new About window and returns when the user has closed it.
  static void Show(QWidget* parent);
};

}  // namespace dtu
