#pragma once

// Following a growing log: the signals that end it, and the wait for the log
// to change.

// From now on SIGINT, SIGTERM and SIGHUP only note that the run is to end;
// the follow loop ends between batches, with status 0.
void catch_stop_signals();
bool stop_requested();

// Waits for a change of the log at `path`: through inotify on the log's
// folder (its appends, and files created or renamed there) when the kernel
// can watch it and $JOBVIEW_FOLLOW_POLL is not 1, else by a look every 250 ms.
// Decided once, when made.
class LogWatch {
 public:
  explicit LogWatch(const char* path);
  ~LogWatch();
  LogWatch(const LogWatch&) = delete;
  LogWatch& operator=(const LogWatch&) = delete;

  bool uses_inotify() const { return inotify_ >= 0; }
  // Returns after a change may have happened, after a stop signal, or when
  // standard output is a pipe whose reader has gone (then false).
  bool wait();

 private:
  int inotify_ = -1;
};
