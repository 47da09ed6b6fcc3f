#pragma once

#include <QApplication>

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
  std::unique_ptr<MainConfigDialog> window;

  void Create(std::vector<std::string> command_line_ports = {},
              std::optional<std::filesystem::path> start_file = std::nullopt) {
    MainWindowEnvironment environment;
    environment.extra_ports = std::move(command_line_ports);
    environment.start_file = std::move(start_file);
    environment.list_ports = [this] {
      ++port_scans;
      return machine_ports;
    };
    environment.port_folders = port_folders;
    window = std::make_unique<MainConfigDialog>(messages, files, std::move(environment));
  }

  void Destroy() { window.reset(); }
};

}  // namespace dtu::test
