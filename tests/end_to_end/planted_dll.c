/* A DLL that a web site could put beside the installer in a Downloads folder, under the name of
   a DLL that the installer or Windows might load. Whenever it is loaded, DllMain appends the path
   it was loaded from to C:\planted-dlls.log. It also stands in for the unzip library: its
   Wiz_SingleEntryUnzip and UzpVersion2 record their call and report success. It imports nothing
   but kernel32 and runs without the C runtime, so that it loads under any name. */

#include <windows.h>

static HINSTANCE self;

static void record(const char* what) {
  wchar_t path[MAX_PATH + 1];
  char line[4 * MAX_PATH + 64];
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  int used = WideCharToMultiByte(CP_UTF8, 0, path, (int)length, line, 4 * MAX_PATH, NULL, NULL);
  HANDLE log;
  DWORD written;
  line[used++] = ' ';
  while (*what) line[used++] = *what++;
  line[used++] = '\r';
  line[used++] = '\n';
  log = CreateFileW(L"C:\\planted-dlls.log", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (log == INVALID_HANDLE_VALUE) return;
  WriteFile(log, line, (DWORD)used, &written, NULL);
  CloseHandle(log);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    record("loaded");
  }
  return TRUE;
}

__declspec(dllexport) int Wiz_SingleEntryUnzip(int includeCount, char** include, int excludeCount,
                                               char** exclude, void* options, void* callbacks) {
  (void)includeCount, (void)include, (void)excludeCount, (void)exclude, (void)options;
  (void)callbacks;
  record("called: Wiz_SingleEntryUnzip");
  return 0;
}

__declspec(dllexport) int UzpVersion2(void* version) {
  (void)version;
  record("called: UzpVersion2");
  return 0;
}
