#pragma once
// Worker threads that decode members ahead of the calling thread. A worker inflates a member,
// checks its size and CRC, and writes it into a staging file beside its target (or, when the
// archive is only tested, writes nothing). It never touches a final name, never calls a callback
// and never prints: the calling thread takes each result back in archive order and makes every
// effect itself, so that what lands on disk is what a single thread would make.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "unziplib/member_writer.h"
#include "unziplib/thread_sync.h"

namespace tarvik::unziplib {

class InflatePool {
 public:
  struct Result {
    bool ok = false;                    // decoded and checked; a failure is left to the caller
    std::unique_ptr<StagedFile> file;   // the staged file; none when the data was only checked
  };

  // The number of workers worth starting on this machine for a run of `members`: none on a
  // single processor, else one per hardware thread, at most kMostWorkers. Workers that write
  // files take one per kMembersPerWriter members, up to kMostWorkers: each waits for the disk
  // to take its file (a flush) about as long as it decodes one, and the disk takes the flushes
  // of several at once; a few members are not worth the threads.
  static unsigned workersForThisMachine(std::size_t members, bool writesFiles);
  static constexpr unsigned kMembersPerWriter = 4;
  static constexpr unsigned kMostWorkers = 8;

  // Starts up to workers threads, fewer (even none) when the system gives no more.
  InflatePool(InputFile& file, const ZipDirectory& directory, unsigned workers);
  // Abandons what was not taken: waits for the members being decoded, removes staged files.
  ~InflatePool();
  InflatePool(const InflatePool&) = delete;
  InflatePool& operator=(const InflatePool&) = delete;

  unsigned workers() const { return static_cast<unsigned>(threads_.size()); }
  // Jobs given and not yet taken back, and their members' declared sizes.
  std::size_t pending() const;
  uint64_t pendingBytes() const;

  // Gives the member at index (its place in the run) to the workers. Indexes rise.
  void add(std::size_t index, WriteJob job);
  // Takes back the result for index, waiting while a worker decodes it. Nothing when the job
  // was not given, or when no worker has begun it yet (it is withdrawn: the caller does it).
  std::optional<Result> take(std::size_t index);
  // Abandons every job before index, or all of them.
  void dropBefore(std::size_t index);
  void dropAll();

 private:
  enum class State { kQueued, kRunning, kDone };
  struct Task {
    std::size_t index = 0;
    WriteJob job;
    State state = State::kQueued;
    Result result;
  };

  void work();
  void drop(std::unique_lock<ThreadLock>& lock, std::size_t before);
  Task* nextQueued();

  InputFile& file_;
  const ZipDirectory& directory_;
  mutable ThreadLock mutex_;
  ThreadCondition queued_;    // a job was given, or the pool stops: for the workers
  ThreadCondition finished_;  // a job was done: for the caller
  std::deque<std::unique_ptr<Task>> tasks_;  // in index order
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tarvik::unziplib
