#pragma once

// A PostgreSQL server of the tests' own: initdb and pg_ctl from Debian's postgresql package in a
// temporary folder, listening only on a Unix socket in that folder (no TCP port that another
// run could hold), run as `nobody` when the tests run as root (the server refuses root). One
// server serves every test of an executable run: it starts when the first test asks for it and
// stops, its folder removed, when the run ends (at exit). A watchdog process stops it and removes
// the folder too if the run is killed.
//
// Where the server cannot start, PostgresServer::Shared() says why; the tests then skip with
// that reason, or fail when DTU_REQUIRE_POSTGRESQL=1 (as CI sets it).

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/record/postgres_connection.h"
#include "support/run_process.h"

extern char** environ;

namespace dtu::test {

class PostgresServer {
 public:
  // The run's server, started on first use; nullptr when it cannot start (see `why_not`).
  static PostgresServer* Shared();
  static const std::string& why_not() { return Holder().why_not; }

  // A new, empty database on the server, as a libpq connection string.
  std::string NewDatabase() {
    const std::string name =
        "record_" + std::to_string(::getpid()) + "_" + std::to_string(next_database_.fetch_add(1));
    PostgresConnection admin(ConnectionString("postgres"), std::chrono::seconds(5));
    admin.Query("CREATE DATABASE " + name);
    return ConnectionString(name);
  }

  std::string ConnectionString(const std::string& database) const {
    return "host=" + folder_.string() + " port=5432 user=postgres dbname=" + database;
  }

  // Stops the server as a crash or a restart would find it, and starts it again.
  bool Stop() {
    return RunAsOwner({Tool("pg_ctl"), "-D", data(), "-m", "immediate", "-w", "stop"});
  }
  bool Start() {
    return RunAsOwner({Tool("pg_ctl"), "-D", data(), "-l", (folder_ / "log").string(), "-w", "-t",
                       "60", "-o", "-k " + folder_.string() + " -c listen_addresses='' -F",
                       "start"});
  }

  ~PostgresServer() {
    RunAsOwner({Tool("pg_ctl"), "-D", data(), "-m", "fast", "-w", "stop"});
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    if (watchdog_pipe_ >= 0) ::close(watchdog_pipe_);
  }

 private:
  struct Held {
    bool tried = false;
    std::unique_ptr<PostgresServer> server;
    std::string why_not;
  };
  static Held& Holder() {
    static Held held;
    return held;
  }

  static std::string Bin() {
    const char* given = std::getenv("DTU_POSTGRES_BIN");
    return given != nullptr ? given : "/usr/lib/postgresql/15/bin";
  }
  static std::string Tool(const std::string& name) { return Bin() + "/" + name; }
  std::string data() const { return (folder_ / "data").string(); }

  // The tools run as the folder's owner: `nobody` when the tests run as root.
  bool RunAsOwner(std::vector<std::string> argv, std::string* output = nullptr) const {
    if (::geteuid() == 0)
      argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup",
                                 "--clear-groups", "--"});
    const ProcessResult result = RunProcess(argv);
    if (output != nullptr) *output = result.out + result.err;
    return result.exit_status == 0;
  }

  // Starts a server; throws with the reason when it cannot.
  PostgresServer() {
    if (::access(Tool("initdb").c_str(), X_OK) != 0)
      throw std::runtime_error("no PostgreSQL server programs at " + Bin() +
                               " (Debian's postgresql package; scripts/install-deps installs it)");
    std::string pattern = "/tmp/dtupg-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    StartWatchdog();
    if (::geteuid() == 0 && ::chown(folder_.c_str(), 65534, 65534) != 0)
      throw std::runtime_error("cannot give " + folder_.string() + " to nobody");
    std::string output;
    if (!RunAsOwner({Tool("initdb"), "-D", data(), "-U", "postgres", "-A", "trust", "-E", "UTF8",
                     "--locale=C", "--no-sync"},
                    &output))
      throw std::runtime_error("initdb failed: " + output);
    if (!Start()) {
      std::string log;
      RunAsOwner({"/bin/cat", (folder_ / "log").string()}, &log);
      throw std::runtime_error("the server did not start: " + log);
    }
  }

  // A process of its own session that waits for this run to end, however it ends (the pipe's
  // other end closes with it), then stops the server and removes the folder.
  void StartWatchdog() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    std::string stop = "cat >/dev/null; ";
    if (::geteuid() == 0) stop += "/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    stop += Tool("pg_ctl") + " -D " + data() + " -m immediate stop >/dev/null 2>&1; rm -rf " +
            folder_.string();
    const std::vector<std::string> argv{"/bin/sh", "-c", stop};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[0]);
    watchdog_pipe_ = fds[1];
    if (error != 0) throw std::runtime_error("cannot start the server's watchdog");
  }

  std::filesystem::path folder_;
  int watchdog_pipe_ = -1;
  std::atomic<int> next_database_{1};
};

inline PostgresServer* PostgresServer::Shared() {
  Held& held = Holder();
  if (!held.tried) {
    held.tried = true;
    try {
      held.server.reset(new PostgresServer());
    } catch (const std::exception& failure) {
      held.why_not = failure.what();
    }
  }
  return held.server.get();
}

// True when PostgreSQL tests must not skip (CI).
inline bool PostgresRequired() {
  const char* required = std::getenv("DTU_REQUIRE_POSTGRESQL");
  return required != nullptr && std::string(required) == "1";
}

}  // namespace dtu::test

// In a GoogleTest test's SetUp or body: the shared server, or skip (fail when it is required)
// saying why.
#define DTU_REQUIRE_POSTGRES_SERVER(server)                                                \
  ::dtu::test::PostgresServer* server = ::dtu::test::PostgresServer::Shared();             \
  if (server == nullptr) {                                                                 \
    if (::dtu::test::PostgresRequired())                                                   \
      FAIL() << "PostgreSQL is required (DTU_REQUIRE_POSTGRESQL=1) but its server cannot " \
                "start: "                                                                  \
             << ::dtu::test::PostgresServer::why_not();                                    \
    GTEST_SKIP() << "no PostgreSQL server for these tests: "                               \
                 << ::dtu::test::PostgresServer::why_not();                                \
  }
