#pragma once
// What an installer without administrator rights hands to the instance it starts with them: the
// list as the user left it (every entry with its tick, the folders added with the picker
// included) and the VirtualStore of the user who started it, whom the new instance acts for.
// It travels as the new instance's one command-line argument, in a form that only this hand-over
// uses and that carries its own digest; any other command line is no hand-over.

#include <optional>
#include <string>
#include <vector>

namespace tarvik {

struct HandedOverEntry {
  std::string folder;       // as List1 holds it
  std::string displayLine;  // as List2 shows it
  bool ticked = false;
  bool operator==(const HandedOverEntry&) const = default;
};

struct Handover {
  std::vector<HandedOverEntry> entries;
  std::string virtualStore;
  bool operator==(const Handover&) const = default;
};

// The longest command line Windows passes on, in UTF-16 code units, the program's path included.
constexpr std::size_t kLongestCommandLine = 32767;

// The hand-over as one command-line argument of letters, digits, "-", "_" and ":".
std::string handoverArgument(const Handover& handover);

// The hand-over that a command line (the arguments after the program's name) carries, when it
// is exactly one such argument whose digest matches; nullopt for anything else.
std::optional<Handover> handoverFromCommandLine(const std::string& arguments);

}  // namespace tarvik
