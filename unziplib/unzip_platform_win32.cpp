// The library's file operations on Windows, through the wide-character API. Texts from the
// caller are in the ANSI code page; the library's own texts are UTF-8.

#include <windows.h>

#include <algorithm>

#include "platform/win32/held_files.h"
#include "platform/win32/long_path.h"
#include "unziplib/unzip_platform.h"

namespace tarvik::unziplib {
namespace {

std::wstring toWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

std::wstring widePath(const std::string& path) {
  std::wstring wide = toWide(CP_UTF8, path);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  return longPathForm(wide);
}

std::string describe(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
      0, nullptr);
  std::wstring wide(text ? text : L"", length);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.'))
    wide.pop_back();
  if (wide.empty()) return "system error " + std::to_string(error);
  return fromWide(CP_UTF8, wide);
}

[[noreturn]] void fail(const std::string& what) {
  const DWORD error = GetLastError();
  throw SystemFailure(what, describe(error),
                      error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL);
}

HANDLE asHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

FILETIME toFileTime(const LocalTime& time, bool& valid) {
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(time.year);
  local.wMonth = static_cast<WORD>(time.month);
  local.wDay = static_cast<WORD>(time.day);
  local.wHour = static_cast<WORD>(time.hour);
  local.wMinute = static_cast<WORD>(time.minute);
  local.wSecond = static_cast<WORD>(time.second);
  SYSTEMTIME universal{};
  FILETIME result{};
  valid = TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) &&
          SystemTimeToFileTime(&universal, &result);
  return result;
}

// A read-only file refuses to be replaced; overwriting it is what the caller asked for.
bool moveOver(const std::wstring& source, const std::wstring& target) {
  constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  if (MoveFileExW(source.c_str(), target.c_str(), kFlags)) return true;
  const DWORD error = GetLastError();
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      SetFileAttributesW(target.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}))
    return MoveFileExW(source.c_str(), target.c_str(), kFlags) != FALSE;
  SetLastError(error);
  return false;
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  const HANDLE file = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) fail("cannot open " + path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    fail("cannot open " + path);
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  size_ = static_cast<uint64_t>(size.QuadPart);
}

InputFile::InputFile(InputFile&& other) noexcept : handle_(other.handle_), size_(other.size_) {
  other.handle_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

InputFile::~InputFile() {
  if (asHandle(handle_) != INVALID_HANDLE_VALUE) CloseHandle(asHandle(handle_));
}

// A handle of its own, with its own file position: the very file, not one put at its name since.
std::optional<InputFile> InputFile::reopened() const {
  const HANDLE file =
      ReOpenFile(asHandle(handle_), GENERIC_READ,
                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_FLAG_SEQUENTIAL_SCAN);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  return InputFile(reinterpret_cast<intptr_t>(file), size_);
}

// The file position is set, then read from: a read at a position given with the call (an
// OVERLAPPED one) costs Wine a call to its server for each read, to report its completion.
std::size_t InputFile::readAt(uint64_t offset, std::span<uint8_t> buffer) {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(asHandle(handle_), position, nullptr, FILE_BEGIN))
    fail("cannot read the archive");
  std::size_t done = 0;
  while (done < buffer.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(asHandle(handle_), buffer.data() + done, wanted, &got, nullptr))
      fail("cannot read the archive");
    if (got == 0) break;
    done += got;
  }
  return done;
}

// The name is matched in its letter case (FILE_FLAG_POSIX_SEMANTICS): Wine otherwise looks
// through the whole folder for another case of a name that is new. Windows, whose file system
// ignores case unless the system is set otherwise, is unchanged by the flag.
std::optional<OutputFile> OutputFile::createNew(const std::string& path) {
  const HANDLE file =
      CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_POSIX_SEMANTICS,
                  nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    fail("cannot create " + path);
  }
  return OutputFile(reinterpret_cast<intptr_t>(file));
}

// Files without a name are a Linux feature; Windows stages under a temporary name.
std::optional<OutputFile> OutputFile::createUnnamed(const std::string&) { return std::nullopt; }

bool OutputFile::giveName(const std::string& path) {
  throw SystemFailure("cannot create " + path, "the file has a name already", false);
}

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) {
  other.handle_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

OutputFile::~OutputFile() {
  if (asHandle(handle_) != INVALID_HANDLE_VALUE) CloseHandle(asHandle(handle_));
}

void OutputFile::write(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD put = 0;
    if (!WriteFile(asHandle(handle_), bytes.data(), wanted, &put, nullptr) || put == 0)
      fail("cannot write");
    bytes = bytes.subspan(put);
  }
}

void OutputFile::setModifiedTime(const LocalTime& time) {
  bool valid = false;
  const FILETIME stamp = toFileTime(time, valid);
  if (valid) SetFileTime(asHandle(handle_), nullptr, &stamp, &stamp);
}

void OutputFile::flush() {
  if (!FlushFileBuffers(asHandle(handle_))) fail("cannot write");
}

void OutputFile::close() {
  const HANDLE file = asHandle(handle_);
  handle_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
  if (!CloseHandle(file)) fail("cannot write");
}

PathKind pathKind(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNothing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::kFolder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::kOther;
  return PathKind::kFile;
}

bool makeFolder(const std::string& path) {
  if (CreateDirectoryW(widePath(path).c_str(), nullptr)) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS && pathKind(path) == PathKind::kFolder) return false;
  fail("cannot create the folder " + path);
}

// A virus scanner may hold either file for a moment: the move waits for it (held_files.h).
void replaceFile(const std::string& from, const std::string& to) {
  const std::wstring source = widePath(from);
  const std::wstring target = widePath(to);
  if (!retryWhileHeld({source, target}, DELETE, [&] { return moveOver(source, target); }))
    fail("cannot replace " + to);
}

void flushFolder(const std::string& path) {
  const HANDLE folder = CreateFileW(widePath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) fail("cannot write the folder " + path);
  const bool flushed = FlushFileBuffers(folder);
  const DWORD error = GetLastError();
  CloseHandle(folder);
  if (flushed || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) return;
  SetLastError(error);
  fail("cannot write the folder " + path);
}

void removeFileQuietly(const std::string& path) noexcept {
  try {
    const std::wstring file = widePath(path);
    retryWhileHeld({file}, DELETE, [&] { return DeleteFileW(file.c_str()) != FALSE; });
  } catch (...) {
  }
}

std::optional<LocalTime> modifiedTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  SYSTEMTIME universal{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&data.ftLastWriteTime, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return std::nullopt;
  return LocalTime{local.wYear, local.wMonth, local.wDay,
                   local.wHour, local.wMinute, local.wSecond};
}

char nativeSeparator() { return '\\'; }

std::string fromCallerText(std::string_view text) {
  return fromWide(CP_UTF8, toWide(CP_ACP, text));
}

std::string toCallerText(std::string_view utf8) {
  return fromWide(CP_ACP, toWide(CP_UTF8, utf8));
}

// A double-byte OEM code page (932, 936, 949, 950) takes each character's two bytes together, so
// that a second byte of 0x5C does not come out as a '\'.
std::optional<std::string> fromOemCodePage(std::string_view stored) {
  std::wstring wide = toWide(GetOEMCP(), stored);
  if (wide.empty() && !stored.empty()) wide = toWide(CP_ACP, stored);
  return fromWide(CP_UTF8, wide);
}

}  // namespace tarvik::unziplib
