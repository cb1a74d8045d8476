#include "platform/sim/sim_power.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "platform/sim/bounded_read.h"
#include "platform/sim/device_settings.h"

namespace zelko::platform::sim {
namespace fs = std::filesystem;
namespace {

// Device settings; an empty value means "the host's reading" because settings are never
// removed, only overwritten.
constexpr char kBatterySetting[] = "power.battery";  // "PERCENT AC"
constexpr char kMemorySetting[] = "power.memory";    // "LOAD TOTAL_KB AVAIL_KB"
constexpr char kStorageSetting[] = "power.storage";  // "TOTAL_KB FREE_KB"

uint64_t saturatingMultiply(uint64_t a, uint64_t b) {
  uint64_t out = 0;
  return __builtin_mul_overflow(a, b, &out) ? UINT64_MAX : out;
}

uint64_t kilobytesToBytes(uint64_t kb) { return saturatingMultiply(kb, 1024); }

// Exactly N space-separated decimal numbers; nullopt for anything else, so a damaged
// setting falls back to the host's reading instead of reporting nonsense.
template <size_t N>
std::optional<std::array<uint64_t, N>> parseFields(std::string_view text) {
  std::array<uint64_t, N> out{};
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) {
      if (p == end || *p != ' ') return std::nullopt;
      ++p;
    }
    auto [next, ec] = std::from_chars(p, end, out[i]);
    if (ec != std::errc() || next == p) return std::nullopt;
    p = next;
  }
  if (p != end) return std::nullopt;
  return out;
}

std::string joinFields(std::initializer_list<uint64_t> fields) {
  std::string out;
  for (uint64_t f : fields) {
    if (!out.empty()) out += ' ';
    out += std::to_string(f);
  }
  return out;
}

bool validPercent(uint64_t p) { return p <= 100 || p == kNoBatteryReading; }

Status checkMemory(uint64_t load, uint64_t totalKb, uint64_t availKb) {
  if (load > 100) return Status::Invalid("memory load " + std::to_string(load) + " is not 0-100");
  if (totalKb > kMaxKilobytes) return Status::Invalid("total memory " + std::to_string(totalKb) + " KB is too large");
  if (availKb > totalKb) return Status::Invalid("available memory is more than the total");
  return Status::Ok();
}

Status checkStorage(uint64_t totalKb, uint64_t freeKb) {
  if (totalKb > kMaxKilobytes) return Status::Invalid("storage size " + std::to_string(totalKb) + " KB is too large");
  if (freeKb > totalKb) return Status::Invalid("free storage is more than the total");
  return Status::Ok();
}

// The first line of a small sysfs file, without its line end; empty when unreadable.
std::string firstLine(const fs::path& file) {
  auto text = readBoundedFile(file, 4096, file.string());
  std::string line = text.ok() ? text->substr(0, text->find('\n')) : std::string();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

std::optional<uint64_t> numberIn(const fs::path& file) {
  std::string text = firstLine(file);
  uint64_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return v;
}

}  // namespace

uint32_t batteryStateValue(const PowerStatus& status) {
  return uint32_t{status.batteryPercent} | (status.acLine ? kBatteryStateOnAc : 0);
}

PowerStatus readHostPower(const fs::path& powerSupplies) {
  std::error_code ec;
  std::vector<fs::path> supplies;
  for (fs::directory_iterator it(powerSupplies, ec), end; !ec && it != end; it.increment(ec)) {
    supplies.push_back(it->path());
  }
  std::sort(supplies.begin(), supplies.end());

  bool external = false;
  bool anyBattery = false;
  uint64_t sum = 0, readings = 0;
  for (const fs::path& supply : supplies) {
    std::string type = firstLine(supply / "type");
    if (type == "Battery") {
      // A mouse's or a headset's battery is not the machine's.
      if (firstLine(supply / "scope") == "Device") continue;
      if (numberIn(supply / "present") == std::optional<uint64_t>(0)) continue;
      anyBattery = true;
      if (auto capacity = numberIn(supply / "capacity")) {
        sum += std::min<uint64_t>(*capacity, 100);
        ++readings;
      }
      if (firstLine(supply / "status") == "Charging") external = true;
    } else if (!type.empty() && numberIn(supply / "online").value_or(0) != 0) {
      external = true;  // Mains, USB and its kinds
    }
  }
  PowerStatus out;
  // A machine without a battery runs on mains like a phone on its charger.
  out.acLine = external || !anyBattery;
  if (readings > 0) out.batteryPercent = static_cast<uint8_t>(sum / readings);
  return out;
}

MemoryStatus parseMemInfo(std::string_view text) {
  std::optional<uint64_t> total, available, free, buffers, cached;
  while (!text.empty()) {
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon);
    std::string_view rest = line.substr(colon + 1);
    size_t digits = rest.find_first_not_of(' ');
    if (digits == std::string_view::npos) continue;
    rest.remove_prefix(digits);
    uint64_t kb = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), kb);
    if (ec != std::errc() || end == rest.data()) continue;
    if (name == "MemTotal") total = kb;
    else if (name == "MemAvailable") available = kb;
    else if (name == "MemFree") free = kb;
    else if (name == "Buffers") buffers = kb;
    else if (name == "Cached") cached = kb;
  }
  MemoryStatus out;
  if (!total) return out;
  // Kernels before 3.14 have no MemAvailable; free plus caches is what it estimates.
  uint64_t avail = available ? *available
                             : free.value_or(0) + buffers.value_or(0) + cached.value_or(0);
  avail = std::min(avail, *total);
  out.totalPhysical = kilobytesToBytes(*total);
  out.availablePhysical = kilobytesToBytes(avail);
  if (*total > 0) {
    // Wide so that no figure the file may hold can overflow; at most 100 since avail <= total.
    out.loadPercent = static_cast<uint32_t>(static_cast<unsigned __int128>(*total - avail) * 100 / *total);
  }
  return out;
}

MemoryStatus readHostMemory(const fs::path& memInfo) {
  auto text = readBoundedFile(memInfo, 1 << 16, memInfo.string());
  return parseMemInfo(text.ok() ? *text : std::string());
}

StorageStatus readHostStorage(const fs::path& folder) {
  struct statvfs st {};
  if (statvfs(folder.c_str(), &st) != 0) return {};
  uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
  StorageStatus out;
  out.total = saturatingMultiply(st.f_blocks, unit);
  // What a program of the phone can still write: the reserve of the super-user is not it.
  out.free = std::min(saturatingMultiply(st.f_bavail, unit), out.total);
  return out;
}

SimPower::SimPower(DeviceSettings& settings, Registry& registry, fs::path store, HostSources host)
    : settings_(settings), registry_(registry), store_(std::move(store)), host_(std::move(host)) {}

std::optional<PowerStatus> SimPower::setPower() {
  auto f = parseFields<2>(settings_.get(kBatterySetting, ""));
  if (!f || !validPercent((*f)[0]) || (*f)[1] > 1) return std::nullopt;
  PowerStatus out;
  out.batteryPercent = static_cast<uint8_t>((*f)[0]);
  out.acLine = (*f)[1] == 1;
  return out;
}

PowerStatus SimPower::powerStatus() {
  if (auto set = setPower()) return *set;
  return readHostPower(host_.powerSupplies);
}

MemoryStatus SimPower::memoryStatus() {
  auto f = parseFields<3>(settings_.get(kMemorySetting, ""));
  if (!f || !checkMemory((*f)[0], (*f)[1], (*f)[2]).ok()) return readHostMemory(host_.memInfo);
  MemoryStatus out;
  out.loadPercent = static_cast<uint32_t>((*f)[0]);
  out.totalPhysical = kilobytesToBytes((*f)[1]);
  out.availablePhysical = kilobytesToBytes((*f)[2]);
  return out;
}

StorageStatus SimPower::storageStatus() {
  auto f = parseFields<2>(settings_.get(kStorageSetting, ""));
  if (!f || !checkStorage((*f)[0], (*f)[1]).ok()) return readHostStorage(store_);
  return {kilobytesToBytes((*f)[0]), kilobytesToBytes((*f)[1])};
}

Status SimPower::storeBattery(const std::string& setting, const PowerStatus& status) {
  Status s = settings_.setInTransaction(kBatterySetting, setting);
  if (!s.ok()) return s;
  return registry_.setValue(Root::kLocalMachine, kBatteryStateKey, kBatteryStateName,
                            RegValue::Dword(batteryStateValue(status)));
}

Status SimPower::setBattery(uint8_t percent, bool acLine) { return changeBattery(percent, acLine); }

Status SimPower::changeBattery(std::optional<uint8_t> percent, std::optional<bool> acLine) {
  if (percent && !validPercent(*percent)) {
    return Status::Invalid("battery level " + std::to_string(*percent) + " is not 0-100");
  }
  auto store = [&](PowerStatus now) {
    if (percent) now.batteryPercent = *percent;
    if (acLine) now.acLine = *acLine;
    return storeBattery(joinFields({now.batteryPercent, now.acLine ? 1u : 0u}), now);
  };
  // With both parts given the reading is not read at all; the setting and its state
  // value still change together in one write.
  return settings_.update([&] { return store(percent && acLine ? PowerStatus{} : powerStatus()); });
}

Status SimPower::useHostBattery() {
  return settings_.update([&] { return storeBattery("", readHostPower(host_.powerSupplies)); });
}

Status SimPower::setMemory(uint32_t loadPercent, uint64_t totalKb, uint64_t availKb) {
  Status s = checkMemory(loadPercent, totalKb, availKb);
  return s.ok() ? settings_.set(kMemorySetting, joinFields({loadPercent, totalKb, availKb})) : s;
}

Status SimPower::useHostMemory() { return settings_.set(kMemorySetting, ""); }

Status SimPower::setStorage(uint64_t totalKb, uint64_t freeKb) {
  Status s = checkStorage(totalKb, freeKb);
  return s.ok() ? settings_.set(kStorageSetting, joinFields({totalKb, freeKb})) : s;
}

Status SimPower::useHostStorage() { return settings_.set(kStorageSetting, ""); }

}  // namespace zelko::platform::sim
