// Long paths in their long form, and a list that grows while it is asked for.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/growing_list.h"
#include "platform/win32/long_path.h"

namespace tarvik {
namespace {

TEST(LongPathForm, TakesPathsTooLongForAFolderToTheirLongFormWithoutDotParts) {
  const std::wstring parent = L"C:\\" + std::wstring(130, L'a');
  const std::wstring folder = parent + L"\\" + std::wstring(130, L'b');  // 264 characters
  EXPECT_EQ(longPathForm(folder.substr(0, 247)), folder.substr(0, 247));
  EXPECT_EQ(longPathForm(folder + L"\\..\\c\\.\\d.bgl"), L"\\\\?\\" + parent + L"\\c\\d.bgl");
  EXPECT_EQ(longPathForm(L"\\\\server\\share" + folder.substr(2)),
            L"\\\\?\\UNC\\server\\share" + folder.substr(2));
  EXPECT_EQ(withoutLongPathPrefix(longPathForm(folder)), folder);
}

// The Restart Manager's list of programs grows when one starts between two asks.
TEST(AskWhileListGrows, AsksAgainWhileTheListOutgrowsTheRoomLastTold) {
  int asks = 0;
  UINT length = 20;
  const auto list = [&](UINT* needed, UINT* count, int*) {
    *needed = length;
    if (++asks <= 2) length += 5;  // after the list's length was told
    if (*count < *needed) return DWORD{ERROR_MORE_DATA};
    *count = *needed;
    return DWORD{ERROR_SUCCESS};
  };
  EXPECT_EQ(askWhileListGrows<int>(list).value().size(), 30u);
  EXPECT_EQ(asks, 4);
  EXPECT_FALSE(askWhileListGrows<int>(list, 1)) << "asked once, with room for 16";
}

}  // namespace
}  // namespace tarvik
