#pragma once

#include <QApplication>
#include <QTemporaryDir>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/window/main_config_dialog.h"
#include "support/scripted_file_chooser.h"
#include "support/scripted_messages.h"

namespace dtu::test {

// A main window with scripted surroundings: recorded messages, scripted file dialogs and a port
// list the test controls.
struct MainWindowFixture {
  ScriptedMessages messages;
  ScriptedFileChooser files;
  std::vector<std::string> machine_ports;
  int port_scans = 0;
  std::vector<std::filesystem::path> port_folders;  // watched for adapters; none unless a test
                                                    // sets them
  // The window lists the ports udev shows (under umockdev, the recorded adapters) and follows its
  // announcements, instead of machine_ports.
  bool udev_ports = false;
  std::unique_ptr<MainConfigDialog> window;
  // The window's remembered settings: a file of this fixture's, never the user's. Each window
  // starts with none, unless the test asks to keep what the last window remembered.
  std::unique_ptr<QTemporaryDir> settings_dir = std::make_unique<QTemporaryDir>();
  bool keep_settings = false;
  // The units' history the window keeps; empty: the one the environment names.
  std::filesystem::path history_file;
  bool keep_history = true;

  void Create(std::vector<std::string> command_line_ports = {},
              std::optional<std::filesystem::path> start_file = std::nullopt) {
    MainWindowEnvironment environment;
    environment.extra_ports = std::move(command_line_ports);
    environment.start_file = std::move(start_file);
    environment.follow_udev = udev_ports;
    if (!udev_ports) {
      environment.list_ports = [this] {
        ++port_scans;
        std::vector<SerialPortInfo> ports;
        for (const std::string& device : machine_ports) ports.emplace_back(device);
        return ports;
      };
    }
    environment.port_folders = port_folders;
    if (!keep_settings) ForgetSettings();
    environment.settings_file = settings_file();
    environment.history_file = history_file;
    environment.keep_history = keep_history;
    window = std::make_unique<MainConfigDialog>(messages, files, std::move(environment));
  }

  void Destroy() { window.reset(); }

  QString settings_file() const { return settings_dir->filePath(QStringLiteral("dtuconfig.conf")); }
  void ForgetSettings() { settings_dir = std::make_unique<QTemporaryDir>(); }
};

}  // namespace dtu::test
