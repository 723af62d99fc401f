#include "discovery/register_subs.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/runtime_error.h"
#include "tests/support/fake_registry.h"

namespace tarvik {
namespace {

using testing::FakeRegistry;

constexpr char kKey[] = "SOFTWARE\\Test\\Reader";

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(ReadResultText, GivesTheTextOfEachKind) {
  EXPECT_EQ(readResultText(ReadResult{}), "");
  EXPECT_EQ(readResultText(ReadResult{std::string("C:\\FS2000  ")}), "C:\\FS2000  ");
  EXPECT_EQ(readResultText(ReadResult{int32_t{1234}}), "1234");
  EXPECT_EQ(readResultText(ReadResult{int32_t{-7}}), "-7");
  EXPECT_EQ(readResultText(ReadResult{int32_t{INT32_MIN}}), "-2147483648");
  EXPECT_EQ(readResultText(ReadResult{int32_t{0}}), "0");
}

class RegisterSubsTest : public ::testing::Test {
 protected:
  std::string read(const std::string& name) {
    return RegisterSubs::ReadMachineString(registry, kKey, name);
  }
  FakeRegistry registry;
};

TEST_F(RegisterSubsTest, ReadsStringsUpToTheirFirstNul) {
  registry.setString(kKey, "path", "C:\\Games\\FS2000");
  registry.setString(kKey, "spaced", "  C:\\Games\\FS2000  ");
  registry.setString(kKey, "embedded", std::string("C:\\FS\0tail", 10));
  registry.setRaw(kKey, "unterminated", registry_type::kString, bytes("C:\\FS"));
  registry.setRaw(kKey, "empty", registry_type::kString, {});
  registry.setString(kKey, "nul only", "");
  EXPECT_EQ(read("path"), "C:\\Games\\FS2000");
  EXPECT_EQ(read("spaced"), "  C:\\Games\\FS2000  ");
  EXPECT_EQ(read("embedded"), "C:\\FS");
  EXPECT_EQ(read("unterminated"), "C:\\FS");
  EXPECT_EQ(read("empty"), "");
  EXPECT_EQ(read("nul only"), "");
}

TEST_F(RegisterSubsTest, ReadsDwordsAsDecimalText) {
  registry.setDword(kKey, "number", 1234);
  registry.setDword(kKey, "negative", -1);
  // A DWORD stored with more data than four bytes: the number is its first four bytes.
  registry.setRaw(kKey, "long", registry_type::kDword, {0x2A, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF});
  // And with fewer: what is there, the rest zero.
  registry.setRaw(kKey, "short", registry_type::kDword, {0x01, 0x02});
  EXPECT_EQ(read("number"), "1234");
  EXPECT_EQ(read("negative"), "-1");
  EXPECT_EQ(read("long"), "42");
  EXPECT_EQ(read("short"), "513");
  EXPECT_EQ(std::get<int32_t>(RegisterSubs::ReadKeyValue(registry, kKey, "number")), 1234);
}

TEST_F(RegisterSubsTest, OtherTypesMissingValuesAndKeysGiveTheEmptyText) {
  registry.setString(kKey, "expand", "C:\\FS2000", registry_type::kExpandString);
  registry.setString(kKey, "multi", "C:\\FS2000", registry_type::kMultiString);
  registry.setRaw(kKey, "binary", registry_type::kBinary, bytes("C:\\FS2000"));
  registry.setString("SOFTWARE\\Denied", "path", "C:\\FS2000");
  registry.denyOpening("SOFTWARE\\Denied");
  for (const std::string name : {"expand", "multi", "binary", "missing"}) {
    EXPECT_EQ(read(name), "") << name;
    EXPECT_EQ(std::get<std::string>(RegisterSubs::ReadKeyValue(registry, kKey, name)), "");
  }
  EXPECT_EQ(RegisterSubs::ReadMachineString(registry, "SOFTWARE\\Missing", "path"), "");
  EXPECT_EQ(RegisterSubs::ReadMachineString(registry, "SOFTWARE\\Denied", "path"), "");
  EXPECT_EQ(std::get<std::string>(RegisterSubs::ReadKeyValue(registry, "SOFTWARE\\Missing", "x")),
            "");
}

TEST_F(RegisterSubsTest, OpensTheSubKeyAsGiven) {
  registry.setString(kKey, "path", "x");
  read("path");
  EXPECT_EQ(registry.opened(), std::vector<std::string>{kKey});
}

TEST_F(RegisterSubsTest, ReadOpenKeyValueReportsItsStatusAndLeavesTheValueOnFailure) {
  registry.setString(kKey, "path", "C:\\FS2000");
  registry.setString(kKey, "expand", "C:\\FS2000", registry_type::kExpandString);
  registry.setDword(kKey, "number", 5);
  auto key = registry.openMachineKey(kKey);
  ASSERT_NE(key, nullptr);

  ReadResult value = std::string("before");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "missing", value),
            registry_status::kFileNotFound);
  EXPECT_EQ(std::get<std::string>(value), "before");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "expand", value), -1);
  EXPECT_EQ(std::get<std::string>(value), "before");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(nullptr, "path", value),
            registry_status::kInvalidHandle);
  EXPECT_EQ(std::get<std::string>(value), "before");

  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "path", value), 0);
  EXPECT_EQ(std::get<std::string>(value), "C:\\FS2000");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(key.get(), "number", value), 0);
  EXPECT_EQ(std::get<int32_t>(value), 5);
}

// A key that reports a string value and then fails while it is read, in one of three ways.
class FailingKey : public RegistryKey {
 public:
  enum class Failure { kRaises, kGrows, kRaisesAtOnce };
  explicit FailingKey(Failure failure) : failure_(failure) {}
  int32_t queryValue(const std::string&, uint32_t& type, uint8_t* data, uint32_t& size) override {
    if (failure_ == Failure::kRaisesAtOnce) throw fileError(error_number::kPermissionDenied);
    type = registry_type::kString;
    if (data == nullptr) {
      size = 4;
      return registry_status::kSuccess;
    }
    if (failure_ == Failure::kRaises) throw fileError(error_number::kPermissionDenied);
    size = 40;  // the value grew between the two reads
    return registry_status::kMoreData;
  }

 private:
  Failure failure_;
};

class FailingRegistry : public Registry {
 public:
  explicit FailingRegistry(std::optional<FailingKey::Failure> failure) : failure_(failure) {}
  std::unique_ptr<RegistryKey> openMachineKey(const std::string&) override {
    if (!failure_) throw fileError(error_number::kPermissionDenied);
    return std::make_unique<FailingKey>(*failure_);
  }

 private:
  std::optional<FailingKey::Failure> failure_;
};

TEST(RegisterSubsFailures, AFailureWhileReadingEndsTheReadWithTheStatusAsItStood) {
  FailingKey raises(FailingKey::Failure::kRaises);
  ReadResult value = std::string("before");
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(&raises, "path", value), 0);
  EXPECT_EQ(std::get<std::string>(value), "before");

  FailingKey grows(FailingKey::Failure::kGrows);
  EXPECT_EQ(RegisterSubs::ReadOpenKeyValue(&grows, "path", value), registry_status::kMoreData);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
}

TEST(RegisterSubsFailures, NoFailureLeavesTheReader) {
  for (const auto failure : {std::optional<FailingKey::Failure>{},
                             std::optional{FailingKey::Failure::kRaises},
                             std::optional{FailingKey::Failure::kGrows},
                             std::optional{FailingKey::Failure::kRaisesAtOnce}}) {
    FailingRegistry registry(failure);
    EXPECT_EQ(RegisterSubs::ReadMachineString(registry, kKey, "path"), "");
    EXPECT_EQ(readResultText(RegisterSubs::ReadKeyValue(registry, kKey, "path")), "");
  }
}

}  // namespace
}  // namespace tarvik
