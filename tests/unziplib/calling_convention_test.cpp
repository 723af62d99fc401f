// The library loaded and called as the installer does it: by the plain names of its entry points,
// many calls in a row, each listing many members through the callback of 13 arguments. On 32-bit
// Windows every such function is __stdcall: the function called clears its arguments off the
// stack. A caller that calls it as __cdecl leaves the stack off at every call and crashes here;
// a callback of another convention than the record's typed fields does not compile. 64-bit
// Windows has one convention, which hides both.

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/unziplib/unziplib_fixture.h"

namespace tarvik::testing {
namespace {

struct Listed {
  uint32_t size, packed, ratio, month, day, year, hour, minute, reserved;
  std::string name, method;
  uint32_t crc, mark;
};
std::vector<Listed> listed;

void TARVIK_UNZIP_CALL onList(uint32_t size, uint32_t packed, uint32_t ratio, uint32_t month,
                              uint32_t day, uint32_t year, uint32_t hour, uint32_t minute,
                              uint32_t reserved, char* name, char* method, uint32_t crc,
                              uint32_t mark) {
  listed.push_back({size, packed, ratio, month, day, year, hour, minute, reserved, name, method,
                    crc, mark});
}

int TARVIK_UNZIP_CALL onService(const char*, uint32_t) { return 0; }

std::string memberName(uint32_t i) {
  std::string name = "scenery/area";
  name += std::to_string(i);
  return name += ".bgl";
}

using SingleEntryUnzip = int(TARVIK_UNZIP_CALL*)(int, char**, int, char**, DCL*, USERFUNCTIONS*);

TEST_F(UnzipLibraryTest, ManyCallsByThePlainNamesKeepEveryValueTheCallbacksHandOver) {
  ZipBuilder zip;
  for (uint32_t i = 0; i < 64; ++i)
    zip.file(memberName(i), sampleText(1000 + i, i), i % 2 ? 8 : 0);
  std::string name = archive(zip).string();
  const HMODULE library = LoadLibraryW(L"tarvik_unzip.dll");
  ASSERT_NE(library, nullptr);
  const auto unzip = reinterpret_cast<SingleEntryUnzip>(
      reinterpret_cast<void*>(GetProcAddress(library, TARVIK_UNZIP_SINGLE_ENTRY_NAME)));
  ASSERT_NE(unzip, nullptr);

  DCL dcl{};
  dcl.nvflag = 1;  // list
  dcl.lpszZipFN = name.data();
  USERFUNCTIONS callbacks{};
  callbacks.SendApplicationMessage = onList;
  callbacks.ServCallBk = onService;
  for (int round = 0; round < 100; ++round) {
    listed.clear();
    ASSERT_EQ(unzip(0, nullptr, 0, nullptr, &dcl, &callbacks), TARVIK_UNZIP_OK) << round;
    ASSERT_EQ(listed.size(), 64u) << round;
    for (uint32_t i = 0; i < 64; ++i) {
      const Listed& member = listed[i];
      ASSERT_EQ(member.size, 1000 + i) << round;
      ASSERT_EQ(member.name, memberName(i)) << round;
      ASSERT_EQ(member.method, i % 2 ? "Deflate" : "Stored") << round;
      ASSERT_EQ(member.year, 2002u) << round;
      ASSERT_EQ(member.reserved, 0u) << round;
      ASSERT_EQ(member.mark, static_cast<uint32_t>(' ')) << round;
    }
  }
  FreeLibrary(library);
}

}  // namespace
}  // namespace tarvik::testing
