#pragma once
// A second thread that writes members' files while the calling thread goes on with the next
// members, so that two members are inflated and written at once. The calling thread still makes
// every decision, calls every callback and prints every line; this thread only decodes and
// writes the files it is given, and hands back how each one went.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "unziplib/member_writer.h"

namespace tarvik::unziplib {

class SecondWriter {
 public:
  struct Outcome {
    const ZipEntry* entry;
    int code;             // TARVIK_UNZIP_OK or the failure's result
    std::string message;  // the failure's reason
  };

  SecondWriter(InputFile& file, const ZipDirectory& directory);
  ~SecondWriter();  // finishes the files it was given
  SecondWriter(const SecondWriter&) = delete;
  SecondWriter& operator=(const SecondWriter&) = delete;

  // Takes the job when the thread has room for it; else leaves it to the caller.
  bool offer(WriteJob& job);
  // True while a file of that target (in any letter case) is being written here.
  bool writing(const std::string& target);
  // The outcomes of the files finished since the last call; with wait, after all are finished.
  std::vector<Outcome> finished(bool wait);

 private:
  static constexpr std::size_t kQueued = 2;
  void work();

  InputFile& file_;
  const ZipDirectory& directory_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<WriteJob> jobs_;      // waiting, then the one being written at the front
  bool working_ = false;
  bool stopping_ = false;
  std::vector<Outcome> outcomes_;
  std::thread thread_;
};

}  // namespace tarvik::unziplib
