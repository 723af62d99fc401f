#include "app/run_progress.h"

#include <algorithm>
#include <numeric>

#include "app/payload_contents.h"

namespace tarvik {
namespace {

std::string archiveKey(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return foldedName(std::move(path));
}

uint64_t sumOf(const MemberSizes& sizes) {
  return std::accumulate(sizes.begin(), sizes.end(), uint64_t{0},
                         [](uint64_t sum, const auto& member) { return sum + member.second; });
}

}  // namespace

MemberSizes memberSizes(const std::vector<PayloadFile>& payload) {
  MemberSizes sizes;
  for (const PayloadFile& file : payload)
    sizes[archiveKey(file.folder.empty() ? file.name : file.folder + "/" + file.name)] = file.size;
  return sizes;
}

std::string memberNamedIn(const std::string& text) {
  const size_t colon = text.find(": ");
  if (colon == std::string::npos) return {};
  std::string name = text.substr(colon + 2);
  if (name.ends_with("   OK")) name.resize(name.size() - 5);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return archiveKey(std::move(name));
}

RunProgress::RunProgress(WindowControls& controls, MemberSizes sizes, int steps)
    : controls_(controls),
      sizes_(std::move(sizes)),
      stepBytes_(std::max<uint64_t>(sumOf(sizes_), 1)),
      steps_(static_cast<uint64_t>(std::max(steps, 0))) {
  show();
}

void RunProgress::libraryPrinted(const std::string& text) {
  const auto member = sizes_.find(memberNamedIn(text));
  if (member == sizes_.end() || member->second == 0) return;
  stepDone_ = std::min(stepBytes_, stepDone_ + member->second);
  show();
}

void RunProgress::stepFinished() {
  if (finishedSteps_ < steps_) ++finishedSteps_;
  stepDone_ = 0;
  show();
}

void RunProgress::show() { controls_.showRunProgress(done(), total()); }

}  // namespace tarvik
