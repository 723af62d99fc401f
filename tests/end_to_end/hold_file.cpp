// e2e_hold_file FILE RELEASE: opens FILE without sharing it, as a running simulator holds a
// scenery file, prints "holding" and keeps it open until the file RELEASE exists (or the
// process is ended). The end-to-end test starts it to hold a file the update must replace.

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e_hold_file FILE RELEASE\n");
    return 2;
  }
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "e2e_hold_file: cannot open the file (%lu)\n", GetLastError());
    return 1;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
  CloseHandle(held);
  return 0;
}
