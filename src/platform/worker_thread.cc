#include "platform/worker_thread.h"

#include <utility>

bool WorkerThread::start(std::function<void()> work) {
  if (running_) return false;
  work_ = std::move(work);
  running_ = pthread_create(&thread_, nullptr, &WorkerThread::run, this) == 0;
  return running_;
}

void WorkerThread::join() {
  if (!running_) return;
  pthread_join(thread_, nullptr);
  running_ = false;
}

void* WorkerThread::run(void* self) {
  static_cast<WorkerThread*>(self)->work_();
  return nullptr;
}
