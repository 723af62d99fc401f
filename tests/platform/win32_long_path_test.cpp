// Long paths in their long form, and lists that grow while they are asked for.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/win32/growing_list.h"
#include "platform/win32/long_path.h"

namespace tarvik {
namespace {

TEST(LongPathForm, TakesPathsTooLongForAFolderToTheirLongForm) {
  const std::wstring parent = L"C:\\" + std::wstring(130, L'a');
  const std::wstring folder = parent + L"\\" + std::wstring(130, L'b');  // 264 characters
  EXPECT_EQ(longPathForm(L"C:\\Games\\scenery\\qiro.bgl"), L"C:\\Games\\scenery\\qiro.bgl");
  EXPECT_EQ(longPathForm(folder.substr(0, 247)), folder.substr(0, 247));
  EXPECT_EQ(longPathForm(folder), L"\\\\?\\" + folder);
  EXPECT_EQ(longPathForm(folder + L"\\..\\c\\.\\d.bgl"), L"\\\\?\\" + parent + L"\\c\\d.bgl")
      << "the long form takes no \".\" or \"..\": they are resolved";
  EXPECT_EQ(longPathForm(L"\\\\server\\share" + folder.substr(2)),
            L"\\\\?\\UNC\\server\\share" + folder.substr(2));
  EXPECT_EQ(longPathForm(L"\\\\?\\" + folder), L"\\\\?\\" + folder);
  EXPECT_EQ(withoutLongPathPrefix(longPathForm(folder)), folder);
  EXPECT_EQ(withoutLongPathPrefix(L"\\\\?\\UNC\\server\\share\\"), L"\\\\server\\share\\");
}

// A list of `length` numbers that grows by 5 after each of its first `growths` asks that find
// too little room: a program that starts between two asks.
struct GrowingList {
  UINT length;
  int growths;
  int asks = 0;
  DWORD operator()(UINT* needed, UINT* count, int* items) {
    ++asks;
    *needed = length;
    if (*count < length) {
      if (growths-- > 0) length += 5;
      return ERROR_MORE_DATA;
    }
    for (UINT i = 0; i < length; ++i) items[i] = static_cast<int>(i);
    *count = length;
    return ERROR_SUCCESS;
  }
};

TEST(AskWhileListGrows, AsksAgainWhileTheListOutgrowsTheRoomLastTold) {
  GrowingList list{20, 2};
  const auto items = askWhileListGrows<int>(std::ref(list));
  ASSERT_TRUE(items);
  EXPECT_EQ(items->size(), 30u);
  EXPECT_EQ(items->back(), 29);
  EXPECT_EQ(list.asks, 4);

  GrowingList endless{20, 1000};
  EXPECT_FALSE(askWhileListGrows<int>(std::ref(endless), 4));
  EXPECT_EQ(endless.asks, 4);
  EXPECT_FALSE(
      askWhileListGrows<int>([](UINT*, UINT*, int*) { return DWORD{ERROR_ACCESS_DENIED}; }));
}

}  // namespace
}  // namespace tarvik
