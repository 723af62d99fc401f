#pragma once
// Another program may hold a file for a moment just after it was written, renamed or changed:
// on-access virus scanners, indexers and backup agents open it, often without sharing its
// deletion, and let go after tens to hundreds of milliseconds. A move, replacement or deletion
// that such a hold makes fail is tried again after a pause that doubles from a few milliseconds,
// for as long as the hold lasts, up to a bound per file. Nothing is paused while nothing fails.

#include <algorithm>
#include <chrono>

namespace tarvik {

struct HeldFileBackoff {
  // Most holds are over within tens of milliseconds; the first pauses are short.
  static constexpr std::chrono::milliseconds kFirstPause{2};
  // A pause grows no longer than this, so that the end of a long hold is seen soon after.
  static constexpr std::chrono::milliseconds kLongestPause{100};
  // A file is waited for this long at most: ten times the longest holds that scanners make of
  // data files. A file held longer is in use by a program (a running simulator), which the
  // user must close; the failure names the file rather than keep the run waiting unseen.
  static constexpr std::chrono::milliseconds kBound{5000};
};

// Runs attempt() until it returns true. After a failure for which heldForAMoment() is true it
// calls pause(duration) and tries again, until the pauses add up to the bound; any other
// failure ends it at once. True when the last attempt succeeded.
template <typename Attempt, typename HeldForAMoment, typename Pause>
bool retryWhileHeld(Attempt attempt, HeldForAMoment heldForAMoment, Pause pause) {
  std::chrono::milliseconds waited{0};
  std::chrono::milliseconds next = HeldFileBackoff::kFirstPause;
  while (!attempt()) {
    if (waited >= HeldFileBackoff::kBound || !heldForAMoment()) return false;
    const auto step = std::min(next, HeldFileBackoff::kBound - waited);
    pause(step);
    waited += step;
    next = std::min(next * 2, HeldFileBackoff::kLongestPause);
  }
  return true;
}

}  // namespace tarvik
