#include "unziplib/inflate_pool.h"

#include <algorithm>
#include <limits>
#include <system_error>

#include "unziplib/zip_records.h"

namespace tarvik::unziplib {

using zip_records::addClamped;

unsigned InflatePool::workersForThisMachine(std::size_t members, bool writesFiles) {
  const unsigned hardware = std::thread::hardware_concurrency();
  if (hardware <= 1) return 0;
  const unsigned decoding = std::min(hardware, kMostWorkers);
  if (!writesFiles) return decoding;
  return static_cast<unsigned>(
      std::clamp<std::size_t>(members / kMembersPerWriter, decoding, kMostWorkers));
}

InflatePool::InflatePool(InputFile& file, const ZipDirectory& directory, unsigned workers)
    : file_(file), directory_(directory) {
  for (unsigned i = 0; i < workers; ++i) {
    try {
      threads_.emplace_back(&InflatePool::work, this);
    } catch (const std::system_error&) {
      break;  // the workers started so far do the work
    }
  }
}

InflatePool::~InflatePool() {
  {
    std::unique_lock lock(mutex_);
    drop(lock, std::numeric_limits<std::size_t>::max());
    stopping_ = true;
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::size_t InflatePool::pending() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

uint64_t InflatePool::pendingBytes() const {
  std::lock_guard lock(mutex_);
  uint64_t bytes = 0;
  for (const auto& task : tasks_) bytes = addClamped(bytes, task->job.entry->uncompressedSize);
  return bytes;
}

void InflatePool::add(std::size_t index, WriteJob job) {
  {
    std::lock_guard lock(mutex_);
    auto task = std::make_unique<Task>();
    task->index = index;
    task->job = std::move(job);
    tasks_.push_back(std::move(task));
  }
  queued_.notify_one();
}

std::optional<InflatePool::Result> InflatePool::take(std::size_t index) {
  std::unique_lock lock(mutex_);
  drop(lock, index);
  if (tasks_.empty() || tasks_.front()->index != index) return std::nullopt;
  finished_.wait(lock, [&] { return tasks_.front()->state != State::kRunning; });
  std::unique_ptr<Task> task = std::move(tasks_.front());
  tasks_.pop_front();
  if (task->state == State::kQueued) return std::nullopt;
  return std::move(task->result);
}

void InflatePool::dropBefore(std::size_t index) {
  std::unique_lock lock(mutex_);
  drop(lock, index);
}

void InflatePool::dropAll() { dropBefore(std::numeric_limits<std::size_t>::max()); }

// A job being decoded is waited for: its worker still uses it.
void InflatePool::drop(std::unique_lock<ThreadLock>& lock, std::size_t before) {
  while (!tasks_.empty() && tasks_.front()->index < before) {
    finished_.wait(lock, [&] { return tasks_.front()->state != State::kRunning; });
    tasks_.pop_front();  // a staged file is removed here
  }
}

InflatePool::Task* InflatePool::nextQueued() {
  const auto queued = std::find_if(tasks_.begin(), tasks_.end(), [](const auto& task) {
    return task->state == State::kQueued;
  });
  return queued == tasks_.end() ? nullptr : queued->get();
}

void InflatePool::work() {
  // Each worker reads the archive through its own handle and window and inflates with its own
  // state. It takes every few members, so it reads only around the ones it takes. A worker that
  // cannot open the archive again takes nothing: the caller does what the others leave.
  std::optional<InputFile> file = file_.reopened();
  if (!file) return;
  ArchiveSource source(*file, ArchiveSource::kMemberReadAhead);
  MemberWriter writer(source, directory_);
  std::unique_lock lock(mutex_);
  for (;;) {
    Task* task = nullptr;
    queued_.wait(lock, [&] { return stopping_ || (task = nextQueued()) != nullptr; });
    if (stopping_) return;
    task->state = State::kRunning;
    lock.unlock();
    Result result;
    try {
      if (task->job.target.empty())
        writer.check(task->job);
      else
        result.file = writer.stage(task->job);
      result.ok = true;
    } catch (...) {
      result = Result{};  // the caller does the member again itself and reports what happens
    }
    lock.lock();
    task->result = std::move(result);
    task->state = State::kDone;
    finished_.notify_all();
  }
}

}  // namespace tarvik::unziplib
