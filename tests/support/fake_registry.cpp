#include "tests/support/fake_registry.h"

#include <cstring>

namespace tarvik::testing {
namespace {

class FakeKey : public RegistryKey {
 public:
  explicit FakeKey(const std::map<std::string, FakeRegistry::Value>& values) : values_(values) {}

  int32_t queryValue(const std::string& valueName, uint32_t& type, uint8_t* data,
                     uint32_t& size) override {
    const auto found = values_.find(valueName);
    if (found == values_.end()) return registry_status::kFileNotFound;
    const auto& value = found->second;
    type = value.type;
    const auto needed = static_cast<uint32_t>(value.data.size());
    if (data == nullptr) {
      size = needed;
      return registry_status::kSuccess;
    }
    if (size < needed) {
      size = needed;
      return registry_status::kMoreData;
    }
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    size = needed;
    return registry_status::kSuccess;
  }

 private:
  std::map<std::string, FakeRegistry::Value> values_;
};

}  // namespace

void FakeRegistry::setString(const std::string& key, const std::string& name,
                             const std::string& text, uint32_t type) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  setRaw(key, name, type, std::move(data));
}

void FakeRegistry::setDword(const std::string& key, const std::string& name, int32_t number) {
  std::vector<uint8_t> data(4);
  std::memcpy(data.data(), &number, 4);
  setRaw(key, name, registry_type::kDword, std::move(data));
}

void FakeRegistry::setRaw(const std::string& key, const std::string& name, uint32_t type,
                          std::vector<uint8_t> data) {
  keys_[key][name] = Value{type, std::move(data)};
}

std::unique_ptr<RegistryKey> FakeRegistry::openMachineKey(const std::string& subKey) {
  opened_.push_back(subKey);
  const auto found = keys_.find(subKey);
  if (found == keys_.end() || denied_.count(subKey)) return nullptr;
  return std::make_unique<FakeKey>(found->second);
}

}  // namespace tarvik::testing
