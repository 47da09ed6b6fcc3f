#pragma once

// Serial ports on a mocked udev: umockdev's testbed presents recorded devices to libudev (sysfs,
// the /dev nodes, uevents) in this process and in the programs it starts, whatever hardware the
// machine has.
//
// The testbed works only in a process started with umockdev's preload library, which diverts
// /sys, /dev and udev's netlink socket. A test program calls RestartUnderUmockdev() first thing
// in main(): it starts the program again, with the same arguments, under the preload. In a build
// with AddressSanitizer the sanitizer's runtime must come first among the preloaded libraries,
// so the restart puts the runtime the program already uses in front of the preload.

#include <link.h>
#include <umockdev.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dtu::test {

namespace umockdev_detail {

constexpr const char* kPreload = "libumockdev-preload.so.0";
constexpr const char* kRestartedVariable = "DTU_TEST_UNDER_UMOCKDEV";

// The path of the loaded library whose name contains `part`; empty when none is loaded.
inline std::string LoadedLibrary(const char* part) {
  struct Search {
    const char* part;
    std::string path;
  } search{part, {}};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto* wanted = static_cast<Search*>(data);
        if (info->dlpi_name == nullptr ||
            std::string_view(info->dlpi_name).find(wanted->part) == std::string_view::npos)
          return 0;
        wanted->path = info->dlpi_name;
        return 1;
      },
      &search);
  return search.path;
}

}  // namespace umockdev_detail

// Runs the program again under umockdev's preload library unless it already runs under it.
// Returns only in the restarted program.
inline void RestartUnderUmockdev(char** argv) {
  using namespace umockdev_detail;
  if (!LoadedLibrary("libumockdev-preload").empty()) return;
  if (std::getenv(kRestartedVariable) != nullptr) {
    std::fprintf(stderr, "%s did not load: is umockdev installed?\n", kPreload);
    std::exit(1);
  }
  std::string preload = kPreload;
  if (const std::string sanitizer = LoadedLibrary("libasan.so"); !sanitizer.empty())
    preload = sanitizer + ":" + preload;
  if (const char* earlier = std::getenv("LD_PRELOAD"); earlier != nullptr && *earlier != '\0')
    preload += std::string(":") + earlier;
  ::setenv("LD_PRELOAD", preload.c_str(), 1);
  ::setenv(kRestartedVariable, "1", 1);
  ::execv("/proc/self/exe", argv);
  std::perror("cannot restart the test under umockdev");
  std::exit(1);
}

// One testbed: devices come and go while it lives; it is emptied and removed when it goes.
class UmockdevTestbed {
 public:
  UmockdevTestbed() : testbed_(umockdev_testbed_new()) {
    if (!umockdev_in_mock_environment())
      throw std::runtime_error("not under umockdev: call RestartUnderUmockdev() in main()");
  }
  UmockdevTestbed(const UmockdevTestbed&) = delete;
  UmockdevTestbed& operator=(const UmockdevTestbed&) = delete;
  ~UmockdevTestbed() { g_object_unref(testbed_); }

  // Adds the devices of a record in umockdev-record's text form, parents first; each one is
  // announced ("add") as it is added. The /dev/serial/ links its ports' DEVLINKS name are made.
  void Add(const std::string& record) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
      const std::string problem = error != nullptr ? error->message : "?";
      g_clear_error(&error);
      throw std::runtime_error("umockdev refused a record: " + problem);
    }
    MakeLinks(record);
  }

  // Announces that the device at `sysfs_path` ("/sys/devices/...") goes, then removes it.
  void Remove(const std::string& sysfs_path) {
    umockdev_testbed_uevent(testbed_, sysfs_path.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, sysfs_path.c_str());
  }

  // Removes the mocked node /dev/`name`, which removing its device leaves behind.
  void RemoveNode(const std::string& name) { std::filesystem::remove(root() / "dev" / name); }

  // The folder that stands in for "/" (its dev/ holds the mocked /dev).
  std::filesystem::path root() const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    std::filesystem::path path(root);
    g_free(root);
    return path;
  }

  // The controlling side of a mocked terminal ("/dev/ttyUSB0"): what the program under test
  // writes there arrives here. Owned by the testbed.
  int MasterOf(const std::string& device) {
    return umockdev_testbed_get_dev_fd(testbed_, device.c_str());
  }

 private:
  // udev makes a link for each of a device's DEVLINKS, relative to the device's node.
  void MakeLinks(const std::string& record) {
    namespace fs = std::filesystem;
    constexpr std::string_view kDevlinks = "E: DEVLINKS=";
    constexpr std::string_view kDevname = "E: DEVNAME=/dev/";
    std::string node;
    std::size_t start = 0;
    while (start < record.size()) {
      std::size_t end = record.find('\n', start);
      if (end == std::string::npos) end = record.size();
      const std::string_view line(record.data() + start, end - start);
      start = end + 1;
      if (line.starts_with(kDevname)) node = line.substr(kDevname.size());
      if (!line.starts_with(kDevlinks)) continue;
      std::string_view links = line.substr(kDevlinks.size());
      while (!links.empty()) {
        const std::size_t space = links.find(' ');
        const fs::path link = root() / std::string(links.substr(1, space - 1));  // drop the "/"
        fs::create_directories(link.parent_path());
        fs::remove(link);
        fs::create_symlink(fs::path("../..") / node, link);
        links = space == std::string_view::npos ? std::string_view() : links.substr(space + 1);
      }
    }
  }

  UMockdevTestbed* testbed_;
};

}  // namespace dtu::test
