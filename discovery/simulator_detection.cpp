#include "discovery/simulator_detection.h"

#include "discovery/register_subs.h"
#include "discovery/text_functions.h"

namespace tarvik {
namespace {

constexpr char kFs2000Version61Key[] =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1";
constexpr char kFs2000Version70Key[] =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0";
constexpr char kFs2002Version80Key[] =
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\8.0";

// A simulator counts as present when its folder is more than blanks.
bool present(const std::string& folder) { return !trimSpaces(folder).empty(); }

}  // namespace

void DetectSimulators(Registry& registry, const SceneryScanner& ScanSceneryConfig) {
  const std::string path61 = RegisterSubs::ReadMachineString(registry, kFs2000Version61Key, "path");
  const std::string path70 = RegisterSubs::ReadMachineString(registry, kFs2000Version70Key, "path");
  if (present(path61) && !present(path70)) ScanSceneryConfig(path61, kFs2000Version61Label);
  if (present(path70)) ScanSceneryConfig(path70, kFs2000Version70Label);

  const std::string path80 =
      RegisterSubs::ReadMachineString(registry, kFs2002Version80Key, "EXE path");
  if (present(path80)) ScanSceneryConfig(path80, kFs2002Version80Label);
}

}  // namespace tarvik
