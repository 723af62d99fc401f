#pragma once
// Lists that Windows fills into the caller's buffer and that may grow between the call that
// tells their length and the next: the Restart Manager's list of the programs that hold files
// (RmGetList) grows when a program starts meanwhile.

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace tarvik {

// Calls ask(&needed, &count, items) with room for count items until it fills them
// (ERROR_SUCCESS), again with room for the length last told as long as it answers
// ERROR_MORE_DATA, at most mostAsks times. Nothing on any other answer, or when the list was
// still growing at the last ask.
template <typename Item, typename Ask>
std::optional<std::vector<Item>> askWhileListGrows(Ask ask, int mostAsks = 8) {
  std::vector<Item> items(16);
  for (int asked = 0; asked < mostAsks; ++asked) {
    UINT needed = 0;
    UINT count = static_cast<UINT>(items.size());
    const DWORD result = ask(&needed, &count, items.data());
    if (result == ERROR_SUCCESS) {
      items.resize(std::min<std::size_t>(count, items.size()));
      return items;
    }
    if (result != ERROR_MORE_DATA) return std::nullopt;
    items.resize(std::max<std::size_t>(needed, items.size()));
  }
  return std::nullopt;
}

}  // namespace tarvik
