#include "platform/log_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t stop_signal = 0;
// The handler writes a byte here, so that a wait ends at once.
int wake_pipe[2] = {-1, -1};

// A run blocked in a write to a reader that reads nothing never comes back
// to the loop: a second signal ends it as the signal's default does.
extern "C" void note_stop(int signal_number) {
  if (stop_signal != 0) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  const int saved = errno;
  stop_signal = 1;
  if (wake_pipe[1] >= 0) {
    [[maybe_unused]] const ssize_t written = write(wake_pipe[1], "", 1);
  }
  errno = saved;
}

// A look for a change when inotify cannot tell, and an upper bound on every
// wait when it can (a change it missed is then found a second later).
constexpr int kPollMs = 250;
constexpr int kInotifyMs = 1000;

}  // namespace

void catch_stop_signals() {
  if (wake_pipe[0] < 0 && pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    wake_pipe[0] = wake_pipe[1] = -1;
  }
  struct sigaction action {};
  action.sa_handler = note_stop;
  // Writes and reads go on after the first signal; the waits, which end on
  // it, are not restarted by the kernel.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool stop_requested() { return stop_signal != 0; }

LogWatch::LogWatch(const char* path) {
  const char* poll_only = std::getenv("JOBVIEW_FOLLOW_POLL");
  if (poll_only != nullptr && std::strcmp(poll_only, "1") == 0) return;
  char folder[PATH_MAX] = ".";
  if (const char* slash = std::strrchr(path, '/')) {
    const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length >= sizeof folder) return;
    std::memcpy(folder, path, length);
    folder[length] = '\0';
  }
  inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_ < 0) return;
  const uint32_t events = IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE;
  if (inotify_add_watch(inotify_, folder, events) < 0) {
    close(inotify_);
    inotify_ = -1;
  }
}

LogWatch::~LogWatch() {
  if (inotify_ >= 0) close(inotify_);
}

bool LogWatch::wait() {
  // Events 0 on standard output: a pipe whose reader has gone reports POLLERR.
  pollfd fds[3] = {{STDOUT_FILENO, 0, 0}, {wake_pipe[0], POLLIN, 0}, {inotify_, POLLIN, 0}};
  if (stop_requested()) return true;
  const int ready = poll(fds, inotify_ >= 0 ? 3 : 2, inotify_ >= 0 ? kInotifyMs : kPollMs);
  if (ready <= 0) return true;
  char drain[4096];
  while (wake_pipe[0] >= 0 && read(wake_pipe[0], drain, sizeof drain) > 0) {
  }
  while (inotify_ >= 0 && read(inotify_, drain, sizeof drain) > 0) {
  }
  return (fds[0].revents & POLLERR) == 0;
}
