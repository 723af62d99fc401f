#pragma once
// A registry held in memory: keys below HKEY_LOCAL_MACHINE with typed values. A key can be
// marked as one that cannot be opened.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tarvik::testing {

class FakeRegistry : public Registry {
 public:
  struct Value {
    uint32_t type;
    std::vector<uint8_t> data;
  };

  // A REG_SZ value stored with its terminating NUL; text may hold NULs of its own.
  void setString(const std::string& key, const std::string& name, const std::string& text,
                 uint32_t type = registry_type::kString);
  void setDword(const std::string& key, const std::string& name, int32_t number);
  void setRaw(const std::string& key, const std::string& name, uint32_t type,
              std::vector<uint8_t> data);
  void denyOpening(const std::string& key) { denied_.insert(key); }

  std::unique_ptr<RegistryKey> openMachineKey(const std::string& subKey) override;

  // The keys opened so far, in order, for tests of what was read.
  const std::vector<std::string>& opened() const { return opened_; }

 private:
  std::map<std::string, std::map<std::string, Value>> keys_;
  std::set<std::string> denied_;
  std::vector<std::string> opened_;
};

}  // namespace tarvik::testing
