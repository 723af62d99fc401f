// The registry reader against the real registry: the test writes its own values under
// HKLM\SOFTWARE in the 32-bit view, where the simulators keep their keys, and reads them back
// through the Win32 registry and RegisterSubs.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "discovery/register_subs.h"
#include "discovery/simulator_detection.h"
#include "platform/win32/win32_platform.h"

namespace tarvik {
namespace {

// Creates (or opens) a key in the given view and deletes it again when the object goes.
class ScratchKey {
 public:
  ScratchKey(std::wstring subKey, REGSAM view) : subKey_(std::move(subKey)), view_(view) {
    status_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE | view_, nullptr, &key_, nullptr);
  }
  ~ScratchKey() {
    if (status_ != ERROR_SUCCESS) return;
    RegCloseKey(key_);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), view_, 0);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  bool created() const { return status_ == ERROR_SUCCESS; }

  void setRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  // A string value with its terminating NUL, as the system stores strings.
  void setString(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    setRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void setDword(const std::wstring& name, int32_t number) {
    setRaw(name, REG_DWORD, &number, sizeof number);
  }

 private:
  std::wstring subKey_;
  REGSAM view_;
  HKEY key_ = nullptr;
  LONG status_ = ERROR_INVALID_HANDLE;
};

class Win32RegistryTest : public ::testing::Test {
 protected:
  std::string read(const std::string& name) {
    return RegisterSubs::ReadMachineString(*registry, subKey, name);
  }

  const std::string subKey =
      "SOFTWARE\\TarvikRegistryTest" + std::to_string(GetCurrentProcessId());
  const std::wstring wideSubKey = std::wstring(subKey.begin(), subKey.end());
  ScratchKey key32{wideSubKey, KEY_WOW64_32KEY};
  std::unique_ptr<Registry> registry = makeWin32Registry();
};

TEST_F(Win32RegistryTest, ReadsStringsAndDwords) {
  ASSERT_TRUE(key32.created());
  key32.setString(L"path", L"C:\\Games\\FS2000");
  key32.setString(L"EXE path", L"D:\\Program Files\\FS2002\\");
  key32.setDword(L"number", 2000);
  key32.setDword(L"negative", -5);
  EXPECT_EQ(read("path"), "C:\\Games\\FS2000");
  EXPECT_EQ(read("PATH"), "C:\\Games\\FS2000");
  EXPECT_EQ(read("EXE path"), "D:\\Program Files\\FS2002\\");
  EXPECT_EQ(read("number"), "2000");
  EXPECT_EQ(read("negative"), "-5");
  EXPECT_EQ(std::get<int32_t>(RegisterSubs::ReadKeyValue(*registry, subKey, "number")), 2000);
}

TEST_F(Win32RegistryTest, StringsEndAtTheirFirstNulOrAtTheirSize) {
  ASSERT_TRUE(key32.created());
  const wchar_t embedded[] = L"C:\\FS2000\0D:\\Other";
  key32.setRaw(L"embedded", REG_SZ, embedded, sizeof embedded);
  const std::wstring unterminated = L"C:\\FS2000";
  key32.setRaw(L"unterminated", REG_SZ, unterminated.data(),
               static_cast<DWORD>(unterminated.size() * sizeof(wchar_t)));
  key32.setString(L"spaces", L"   ");
  key32.setString(L"empty", L"");
  key32.setString(L"umlaut", L"C:\\Spiele\\Flugsimulator \u00e4");
  const std::wstring longFolder = L"C:\\" + std::wstring(1000, L'x');
  key32.setString(L"long", longFolder);
  EXPECT_EQ(read("embedded"), "C:\\FS2000");
  EXPECT_EQ(read("unterminated"), "C:\\FS2000");
  EXPECT_EQ(read("spaces"), "   ");
  EXPECT_EQ(read("empty"), "");
  EXPECT_EQ(read("umlaut"), "C:\\Spiele\\Flugsimulator \xC3\xA4");
  EXPECT_EQ(read("long"), "C:\\" + std::string(1000, 'x'));
}

TEST_F(Win32RegistryTest, OtherTypesAndMissingEntriesGiveTheEmptyText) {
  ASSERT_TRUE(key32.created());
  key32.setString(L"expand", L"%SystemRoot%\\FS2000", REG_EXPAND_SZ);
  const wchar_t multi[] = L"C:\\FS2000\0\0";
  key32.setRaw(L"multi", REG_MULTI_SZ, multi, sizeof multi);
  key32.setRaw(L"binary", REG_BINARY, "C:\\FS", 5);
  const uint64_t quad = 7;
  key32.setRaw(L"qword", REG_QWORD, &quad, sizeof quad);
  for (const std::string name : {"expand", "multi", "binary", "qword", "missing"})
    EXPECT_EQ(read(name), "") << name;
  EXPECT_EQ(RegisterSubs::ReadMachineString(*registry, subKey + "\\Missing", "path"), "");
  EXPECT_EQ(RegisterSubs::ReadMachineString(*registry, "", "path"), "");

  auto key = registry->openMachineKey(subKey);
  ASSERT_NE(key, nullptr);
  ReadResult value = std::string("before");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "expand", value), -1);
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "missing", value), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::get<std::string>(value), "before");
}

TEST_F(Win32RegistryTest, AValueOfThe64BitViewIsNotSeen) {
  ASSERT_TRUE(key32.created());
  key32.setString(L"both", L"C:\\Seen32");
  ScratchKey key64(wideSubKey, KEY_WOW64_64KEY);
  ASSERT_TRUE(key64.created());
  key64.setString(L"only64", L"C:\\Hidden64");
  key64.setString(L"both", L"C:\\Hidden64");
  EXPECT_EQ(read("only64"), "");
  EXPECT_EQ(read("both"), "C:\\Seen32");
}

TEST_F(Win32RegistryTest, AKeyOnlyInThe64BitViewIsNotSeen) {
  const std::string only64 = subKey + "Only64";
  ScratchKey key64(std::wstring(only64.begin(), only64.end()), KEY_WOW64_64KEY);
  ASSERT_TRUE(key64.created());
  key64.setString(L"path", L"C:\\Hidden64");
  EXPECT_EQ(RegisterSubs::ReadMachineString(*registry, only64, "path"), "");
  EXPECT_EQ(registry->openMachineKey(only64), nullptr);
}

bool keyExists(const std::wstring& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

TEST(Win32RegistryDetection, FindsTheSimulatorsThroughTheirOwnKeys) {
  const std::wstring games = L"SOFTWARE\\Microsoft\\Microsoft Games";
  const std::wstring simulator = games + L"\\Flight Simulator";
  if (keyExists(simulator))
    GTEST_SKIP() << "this machine has simulator keys of its own; they are left alone";
  const bool gamesExisted = keyExists(games);
  {
    ScratchKey fs61(simulator + L"\\6.1", KEY_WOW64_32KEY);
    ScratchKey fs70(simulator + L"\\7.0", KEY_WOW64_32KEY);
    ScratchKey fs80(simulator + L"\\8.0", KEY_WOW64_32KEY);
    ASSERT_TRUE(fs61.created() && fs70.created() && fs80.created());
    fs61.setString(L"path", L"C:\\FS61");
    fs70.setString(L"path", L"C:\\Program Files\\FS2000 ");
    fs80.setString(L"path", L"C:\\NotThisOne");
    fs80.setString(L"EXE path", L"C:\\Program Files\\FS2002\\");
    using Scan = std::pair<std::string, std::string>;
    std::vector<Scan> scans;
    auto registry = makeWin32Registry();
    DetectSimulators(*registry, [&](const std::string& folder, const std::string& label) {
      scans.emplace_back(folder, label);
    });
    EXPECT_THAT(scans, ::testing::ElementsAre(
                           Scan{"C:\\Program Files\\FS2000 ", "  Fs2000 (versie 7.0)     "},
                           Scan{"C:\\Program Files\\FS2002\\", "  Fs2002 (versie 8.0)     "}));
  }
  // The version keys are gone again; their parents go too when the test made them.
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, simulator.c_str(), KEY_WOW64_32KEY, 0);
  if (!gamesExisted) RegDeleteKeyExW(HKEY_LOCAL_MACHINE, games.c_str(), KEY_WOW64_32KEY, 0);
  EXPECT_FALSE(keyExists(simulator));
}

}  // namespace
}  // namespace tarvik
