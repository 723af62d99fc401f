#pragma once
// The add-on's earlier scenery files that the update does not bring again: removed from every
// updated folder's "scenery" sub-folder, in this order.

#include <array>
#include <string_view>

namespace tarvik {

extern const std::array<std::string_view, 42> kObsoleteFiles;

}  // namespace tarvik
