#include "unziplib/second_writer.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "unziplib/unzip_error.h"

namespace tarvik::unziplib {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

SecondWriter::SecondWriter(InputFile& file, const ZipDirectory& directory)
    : file_(file), directory_(directory) {}

SecondWriter::~SecondWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool SecondWriter::offer(WriteJob& job) {
  std::unique_lock lock(mutex_);
  if (jobs_.size() >= kQueued) return false;
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread(&SecondWriter::work, this);
    } catch (const std::system_error&) {
      return false;  // no second thread to be had: the caller writes everything itself
    }
  }
  jobs_.push_back(std::move(job));
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool SecondWriter::writing(const std::string& target) {
  std::lock_guard lock(mutex_);
  return std::any_of(jobs_.begin(), jobs_.end(),
                     [&](const WriteJob& job) { return sameIgnoringCase(job.target, target); });
}

std::vector<SecondWriter::Outcome> SecondWriter::finished(bool wait) {
  std::unique_lock lock(mutex_);
  if (wait) changed_.wait(lock, [&] { return jobs_.empty(); });
  std::vector<Outcome> done;
  done.swap(outcomes_);
  return done;
}

void SecondWriter::work() {
  // The thread's own window on the archive and its own inflate state.
  ArchiveSource source(file_);
  MemberWriter writer(source, directory_);
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !jobs_.empty() || stopping_; });
    if (jobs_.empty()) return;
    WriteJob& job = jobs_.front();  // stays in place (deque front) until it is done
    lock.unlock();
    Outcome outcome{job.entry, TARVIK_UNZIP_OK, {}};
    try {
      writer.write(job);
    } catch (const UnzipError& error) {
      outcome.code = error.code();
      outcome.message = error.what();
    } catch (const std::exception& error) {
      outcome.code = TARVIK_UNZIP_WRITE_ERROR;
      outcome.message = "cannot write " + job.shownPath + ": " + error.what();
    }
    lock.lock();
    jobs_.pop_front();
    outcomes_.push_back(std::move(outcome));
    changed_.notify_all();
  }
}

}  // namespace tarvik::unziplib
