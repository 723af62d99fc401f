#pragma once
// The unzip library's entry points, by the names that the binding and the component look up in
// it, and that the package check holds the delivered library to.

#include <array>
#include <string_view>

namespace tarvik::entry_points {

inline constexpr std::string_view kSingleEntryUnzip = "Wiz_SingleEntryUnzip";
inline constexpr std::string_view kVersion = "UzpVersion2";
inline constexpr std::array<std::string_view, 2> kAll = {kSingleEntryUnzip, kVersion};

}  // namespace tarvik::entry_points
