#pragma once

#include <pthread.h>

#include <functional>

// A second thread for the scan, the selection and the display. Unlike
// std::thread, a system that has no thread to give says so through start()
// instead of throwing: the work then runs on the calling thread alone. The
// program is built without exceptions, so nothing may be thrown at all.
class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  ~WorkerThread() { join(); }

  // Runs `work` on a new thread; false, with nothing run, when none started.
  bool start(std::function<void()> work);

  // Waits for the work to end; nothing when none was started.
  void join();

 private:
  static void* run(void* self);

  std::function<void()> work_;
  pthread_t thread_{};
  bool running_ = false;
};
