#include "simulator/src/InventoryGenerator.h"

#include <random>
#include <unordered_set>

#include "simulator/src/PowerState.h"
#include "simulator/src/VmNaming.h"

namespace sim {
namespace {

// mt19937_64 output is fixed by the standard; the distributions are not, so pick by modulo.
class Picker {
 public:
  explicit Picker(uint64_t seed) : mRng(seed) {}
  size_t Below(size_t n) { return static_cast<size_t>(mRng() % n); }
  template <size_t N>
  const char* From(const char* const (&list)[N]) { return list[Below(N)]; }

 private:
  std::mt19937_64 mRng;
};

const char* const kRoles[] = {"web", "db", "app", "cache", "mq", "ldap", "dns", "mail", "ci", "build",
                              "log", "mon", "proxy", "vpn", "file", "print", "backup", "k8s-node",
                              "git", "redis", "pg", "mysql", "search", "kafka", "api", "auth"};
const char* const kQualifiers[] = {"frontend", "backend", "replica-eu", "replica-us", "primary", "staging",
                                   "prod", "test", "dev", "qa", "edge", "int", "eu", "us-east", "apac"};
const char* const kTitles[] = {"Build Agent", "Test Client", "Dev Box", "Kiosk", "Demo", "Jump Host",
                               "Office Template", "Sales Laptop Image", "QA Runner", "Legacy ERP"};
const char* const kSystems[] = {"Win11", "Win10", "Win7", "Ubuntu 22.04", "Debian 12", "Server 2022",
                                "Server 2019", "FreeBSD 14", "RHEL 9", "XP SP3"};
const char* const kLocalNames[] = {"Büro-Server", "Café-Kasse", "Größenprüfung", "Développement",
                                   "Ñandú-Lab", "Łódź-Gateway", "Москва-DC", "東京-Web", "Ærø-Backup",
                                   "São Paulo DB", "Kassensystem Zürich", "Test-Umgebung Ä"};
const char* const kUpperNames[] = {"MAIL-Gateway", "SQLServer2019", "DC01", "ExchangeHybrid",
                                   "Win2022-Template", "SharePoint-FE", "CITRIX-Broker", "SAP-Prod"};
const char* const kDottedNames[] = {"mail.corp.local", "vpn.example.org", "intranet.lan",
                                    "ns1.example.net", "git.internal"};
const char* const kDatastores[] = {"datastore1", "datastore1", "datastore1", "datastore2", "ssd-fast",
                                   "nfs-archive"};

std::string TwoDigits(size_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string CandidateName(Picker& pick) {
  switch (pick.Below(10)) {
    case 0:
    case 1:
    case 2:
    case 3:
      return std::string(pick.From(kRoles)) + "-" + pick.From(kQualifiers) + "-" + TwoDigits(1 + pick.Below(40));
    case 4:
      return std::string(pick.From(kRoles)) + "-" + pick.From(kQualifiers) + "-" + std::to_string(1 + pick.Below(9));
    case 5:
      return std::string(pick.From(kTitles)) + " (" + pick.From(kSystems) + ")";
    case 6:
      return pick.From(kLocalNames);
    case 7:
      return pick.From(kUpperNames);
    case 8:
      return pick.From(kDottedNames);
    default:
      return std::string(pick.From(kRoles)) + TwoDigits(1 + pick.Below(99));
  }
}

uint32_t RandomSettledState(Picker& pick) {
  size_t roll = pick.Below(20);
  if (roll < 10) return kPoweredOn;
  if (roll < 17) return kPoweredOff;
  return kSuspended;
}

}  // namespace

std::vector<Vm> GenerateInventory(int count, uint64_t seed) {
  Picker pick(seed);
  std::vector<Vm> vms;
  std::unordered_set<std::string> names;
  vms.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 0; i < count; ++i) {
    std::string base = CandidateName(pick);
    std::string name = base;
    // Repeated picks get a running number so names, and with them paths, stay unique.
    for (int n = 2; names.count(name) != 0; ++n) name = base + " " + std::to_string(n);
    names.insert(name);

    Vm vm;
    vm.moid = MoidFor(static_cast<uint64_t>(i) + 1);
    vm.name = name;
    vm.path = PathForName(pick.From(kDatastores), name);
    vm.powerState = RandomSettledState(pick);
    vms.push_back(std::move(vm));
  }
  return vms;
}

}  // namespace sim
