#pragma once
// A program the test runs beside itself: its standard output read line by
// line as it comes, waited for with a timeout, killed at a moment of the
// test's choosing. Killed (SIGKILL) when the test ends, whatever happens.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quarvex::testing {

class ChildProcess {
 public:
  // Runs `program` with `args` in `dir`, its standard error into `err_file`.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::string& dir, const std::string& err_file) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, STDERR_FILENO);
      close(out[0]);
      if (chdir(dir.c_str()) != 0) _exit(127);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    out_ = out[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
  }
  ~ChildProcess() {
    kill_now();
    if (out_ >= 0) close(out_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The first line (from where the last search stopped) that `match`
  // accepts, reading until it comes or `timeout_ms` passes.
  std::optional<std::string> wait_for_line(const std::function<bool(const std::string&)>& match,
                                           int timeout_ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      while (next_line_ < lines_.size()) {
        const std::string& line = lines_[next_line_++];
        if (match(line)) return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || !read_some(static_cast<int>(left))) return std::nullopt;
    }
  }
  std::optional<std::string> wait_for_prefix(const std::string& prefix, int timeout_ms) {
    return wait_for_line([&](const std::string& l) { return l.rfind(prefix, 0) == 0; }, timeout_ms);
  }

  // Waits for the program to end; its exit status, or -1 after the timeout
  // (it is then killed) or when a signal ended it.
  int wait(int timeout_ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (pid_ > 0) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        while (read_some(0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (std::chrono::steady_clock::now() >= until) {
        kill_now();
        return -1;
      }
      read_some(20);
    }
    return -1;
  }

  // Sends `sig` (SIGTERM: stopped as its operator would stop it).
  void send_signal(int sig) {
    if (pid_ > 0) kill(pid_, sig);
  }

  void kill_now() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // Every line read so far.
  const std::vector<std::string>& lines() const { return lines_; }
  std::string all_output() const {
    std::string text;
    for (const std::string& l : lines_) text += l + "\n";
    return text + partial_;
  }

 private:
  // Reads what is there within `timeout_ms`; false at the end of output or
  // when nothing came.
  bool read_some(int timeout_ms) {
    if (out_ < 0) return false;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) return false;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\n') {
        lines_.push_back(partial_);
        partial_.clear();
      } else {
        partial_ += buffer[i];
      }
    }
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  std::vector<std::string> lines_;
  std::string partial_;
  size_t next_line_ = 0;
};

}  // namespace quarvex::testing
