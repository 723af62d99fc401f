#pragma once
// One fuzz input for the unzip library: two bytes that choose the call's mode and switches, then
// the bytes of the archive file. Running an input makes the call (or two) in a work folder of its
// own and checks what every call must hold to, whatever the archive: a documented result, an
// "error: " line last when it is not 0, nothing created outside the extraction folder, nothing written when listing, testing or
// printing, and no staging file left behind. The sanitizers check the rest.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tarvik::fuzzing {

enum class Mode : uint8_t { kList, kDetailedList, kTest, kPrint, kExtract, kExtractTwice };
constexpr Mode kModes[] = {Mode::kList,  Mode::kDetailedList, Mode::kTest,
                           Mode::kPrint, Mode::kExtract,      Mode::kExtractTwice};

// The two leading bytes of an input that runs its archive in this mode, with folder names kept
// and overwriting on, as the installer calls the library.
std::string leadFor(Mode mode);

// Runs the input in work (emptied first, removed afterwards) and returns the checks that
// failed; empty when every one held.
std::vector<std::string> runAndCheck(std::span<const uint8_t> input,
                                     const std::filesystem::path& work);

}  // namespace tarvik::fuzzing
