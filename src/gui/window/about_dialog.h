#pragma once

#include <QDialog>

class QPushButton;

namespace dtu {

// The About window: the program's icon, name and version, the Qt version it runs on and its
// licence. Shown modally from the window's "关于GPRS设备配置软件" item; its "关闭" button is the
// default one, so Enter closes it, as do Esc and the title bar's close button.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  QPushButton* closeButton() const { return close_button_; }

  // Shows a new About window and returns when the user has closed it.
  static void Show(QWidget* parent);

 private:
  QPushButton* close_button_ = nullptr;
};

}  // namespace dtu
