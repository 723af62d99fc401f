#include "app/run_progress.h"

#include <algorithm>
#include <numeric>

#include "platform/runtime_error.h"
#include "unzip/unzip_component.h"

namespace tarvik {
namespace {

std::string archiveKey(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return path;
}

uint64_t sumOf(const MemberSizes& sizes) {
  return std::accumulate(sizes.begin(), sizes.end(), uint64_t{0},
                         [](uint64_t sum, const auto& member) { return sum + member.second; });
}

}  // namespace

MemberSizes listMemberSizes(const std::string& archive) {
  MemberSizes sizes;
  if (archive.empty()) return sizes;
  try {
    cUnzip listing;
    listing.ZipFile(archive);
    listing.Directory();
    for (int32_t i = 1; i <= listing.FileCount(); ++i) {
      const std::string folder = listing.FileDirectory(i);
      const std::string name = folder.empty() ? listing.Filename(i)
                                              : folder + "/" + listing.Filename(i);
      sizes[archiveKey(name)] = listing.FileUnpackedSize(i);
    }
  } catch (const RuntimeError&) {
    // The run's own calls meet the same fault and report it; the bar goes a step at a time.
    sizes.clear();
  }
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

int tickedEntries(const CheckList& list) {
  int ticked = 0;
  for (int i = 0; i < list.count(); ++i) ticked += list.selected(i) ? 1 : 0;
  return ticked;
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
