#include "platform/win32/long_path.h"

#include <windows.h>

namespace tarvik {
namespace {

constexpr std::size_t kLongestShortPath = MAX_PATH - 12;
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

}  // namespace

std::wstring longPathForm(const std::wstring& path) {
  if (path.size() < kLongestShortPath) return path;
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return path;
  full.resize(written);
  if (full.starts_with(kLongPrefix) || full.starts_with(L"\\\\.\\")) return full;
  if (full.starts_with(L"\\\\")) return std::wstring(kLongUncPrefix) + full.substr(2);
  return std::wstring(kLongPrefix) + full;
}

std::wstring withoutLongPathPrefix(const std::wstring& path) {
  if (path.starts_with(kLongUncPrefix)) return L"\\\\" + path.substr(kLongUncPrefix.size());
  if (path.starts_with(kLongPrefix)) return path.substr(kLongPrefix.size());
  return path;
}

}  // namespace tarvik
