// The library's interface as a caller on 32-bit Windows sees it: the entry point found by its
// plain name and called as WINAPI (__stdcall), and callbacks declared WINAPI themselves, not
// through the library's header. Where the two sides of a call differ in who takes the arguments
// off the stack, each call moves the stack by their bytes: the run crashes, an argument arrives
// in the wrong place, or (where the library's frames mend it on return) each callback finds the
// stack lower than the last one did.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/program.h"
#include "tests/support/temp_folder.h"
#include "tests/unziplib/zip_builder.h"
#include "unziplib/tarvik_unzip.h"

namespace tarvik::testing {
namespace {

struct Listed {
  uint32_t uncompressed, compressed, ratio, month, day, year, hour, minute, reserved;
  std::string name, method;
  uint32_t crc, mark;
};

std::vector<Listed> listed;
std::vector<std::string> serviced;
std::set<uintptr_t> listingFrames;  // where the listing callback found the stack
int printed = 0;

void WINAPI onList(uint32_t uncompressed, uint32_t compressed, uint32_t ratio, uint32_t month,
                   uint32_t day, uint32_t year, uint32_t hour, uint32_t minute, uint32_t reserved,
                   char* name, char* method, uint32_t crc, uint32_t mark) {
  listed.push_back({uncompressed, compressed, ratio, month, day, year, hour, minute, reserved,
                    name, method, crc, mark});
  listingFrames.insert(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
}

int WINAPI onService(const char* name, uint32_t size) {
  serviced.emplace_back(name, size);
  return 0;
}

int WINAPI onPrint(char*, uint32_t) {
  ++printed;
  return 0;
}

using SingleEntryUnzip = int(WINAPI*)(int, char**, int, char**, DCL*, USERFUNCTIONS*);

// Lists the archive and tells how far the call left the stack pointer from where it was: 0 when
// the library takes its arguments off the stack as a WINAPI function does.
__attribute__((noinline)) int stackMovedByListing(SingleEntryUnzip unzip, DCL& options,
                                                  USERFUNCTIONS& callbacks, int& result) {
  uintptr_t before, after;
  asm volatile("mov %%esp, %0" : "=r"(before));
  result = unzip(0, nullptr, 0, nullptr, &options, &callbacks);
  asm volatile("mov %%esp, %0" : "=r"(after));
  return static_cast<int>(after - before);
}

// Members whose every listed value differs from its neighbours': sizes, dates, times, methods.
ZipMember member(int i) {
  ZipMember m;
  m.name = "scenery/m" + std::to_string(i) + ".bgl";
  m.data = sampleText(100 + 37 * i, i);
  m.method = i % 3 == 0 ? 0 : 8;
  m.dosDate = static_cast<uint16_t>(((i % 40) << 9) | ((1 + i % 12) << 5) | (1 + i % 28));
  m.dosTime = static_cast<uint16_t>(((i % 24) << 11) | ((i % 60) << 5));
  if (i % 50 == 7) m.password = "secret";
  return m;
}

TEST(CallingConvention, ThousandsOfCallbacksWithThirteenArgumentsArriveIntact) {
  constexpr int kMembers = 1500;
  ZipBuilder builder;
  for (int i = 0; i < kMembers; ++i) builder.add(member(i));
  TempFolder folder;
  std::string archive = folder.write("many.zip", builder.build()).string();

  const std::filesystem::path beside = std::filesystem::path(executablePath()).parent_path();
  const HMODULE library = LoadLibraryW((beside / "tarvik_unzip.dll").c_str());
  ASSERT_NE(library, nullptr);
  const auto unzip =
      reinterpret_cast<SingleEntryUnzip>(GetProcAddress(library, "Wiz_SingleEntryUnzip"));
  ASSERT_NE(unzip, nullptr) << "Wiz_SingleEntryUnzip is not exported under its plain name";

  DCL options{};
  options.nvflag = 1;
  options.lpszZipFN = archive.data();
  char empty[] = "";
  options.lpszExtractDir = empty;
  USERFUNCTIONS callbacks{};
  callbacks.print = onPrint;
  callbacks.SendApplicationMessage = onList;
  callbacks.ServCallBk = onService;
  volatile uint32_t before = 0x5EC0DE21, after = 0xC0FFEE21;  // the caller's own stack
  for (int round = 0; round < 2; ++round) {
    int result = -1;
    EXPECT_EQ(stackMovedByListing(unzip, options, callbacks, result), 0);
    ASSERT_EQ(result, TARVIK_UNZIP_OK);
  }
  EXPECT_EQ(before, 0x5EC0DE21u);
  EXPECT_EQ(after, 0xC0FFEE21u);
  EXPECT_GT(printed, 0);
  EXPECT_LE(listingFrames.size(), 4u) << "the stack moves with each call of the callback";
  EXPECT_EQ(serviced.size(), 2u * kMembers);

  ASSERT_EQ(listed.size(), 2u * kMembers);
  for (size_t at = 0; at < listed.size(); ++at) {
    const int i = static_cast<int>(at % kMembers);
    const ZipMember m = member(i);
    const Listed& got = listed[at];
    SCOPED_TRACE(m.name);
    EXPECT_EQ(got.name, m.name);
    EXPECT_EQ(serviced[at], m.name);
    EXPECT_EQ(got.uncompressed, m.data.size());
    EXPECT_EQ(got.compressed, (m.method == 0 ? m.data.size() : deflated(m.data).size()) +
                                  (m.password.empty() ? 0 : 12));
    EXPECT_EQ(got.method, m.method == 0 ? "Stored" : "Deflate");
    EXPECT_EQ(got.month, 1u + i % 12);
    EXPECT_EQ(got.day, 1u + i % 28);
    EXPECT_EQ(got.year, 1980u + i % 40);
    EXPECT_EQ(got.hour, i % 24u);
    EXPECT_EQ(got.minute, i % 60u);
    EXPECT_EQ(got.reserved, 0u);
    EXPECT_EQ(got.crc, crcOf(m.data));
    EXPECT_EQ(got.mark, m.password.empty() ? uint32_t{' '} : uint32_t{'E'});
    EXPECT_LE(got.ratio, 100u);
  }
  FreeLibrary(library);
}

}  // namespace
}  // namespace tarvik::testing
