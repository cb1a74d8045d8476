#include "device/skin_install.h"

#include <string>

#include "platform/sim/bounded_read.h"
#include "platform/sim/sim_files.h"

namespace zelko::device {
namespace {

namespace fs = std::filesystem;

constexpr char kInstallFolder[] = "\\Program Files\\ZelkoToday";

// A host path below `base` as a device path below `deviceBase`.
std::string devicePath(const std::string& deviceBase, const fs::path& base, const fs::path& path) {
  std::string out = deviceBase;
  for (const auto& part : path.lexically_relative(base)) out += "\\" + part.string();
  return out;
}

platform::Status copyFile(const fs::path& from, const std::string& to, platform::Files& files) {
  auto bytes = platform::sim::readBoundedFile(from, platform::sim::SimFiles::kMaxReadBytes, from.string());
  if (!bytes.ok()) return bytes.status();
  return files.writeFile(to, *bytes);
}

}  // namespace

platform::Result<SkinInstall> installSkins(const fs::path& buildDir, platform::Files& files) {
  const fs::path skin = buildDir / "skins" / "default";
  const fs::path ini = buildDir / "skins" / "ZelkoToday.ini";
  std::error_code ec;
  if (!fs::is_directory(skin, ec) || !fs::is_regular_file(ini, ec)) {
    return platform::Status::NotFound("no default skin in " + (buildDir / "skins").string() +
                                      "; build the project first");
  }
  const std::string deviceSkin = std::string(kInstallFolder) + "\\skins\\default";
  if (auto s = files.createDirectory(deviceSkin); !s.ok()) return s;

  SkinInstall done;
  fs::recursive_directory_iterator it(skin, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    std::string target = devicePath(deviceSkin, skin, path);
    platform::Status s;
    if (it->is_directory(ec)) {
      s = files.createDirectory(target);
    } else if (it->is_regular_file(ec)) {
      s = copyFile(path, target, files);
      if (s.ok()) ++done.files;
    }
    if (!s.ok()) return s;
  }
  if (ec) return platform::Status::IoError("cannot list " + skin.string() + ": " + ec.message());

  const std::string deviceIni = std::string(kInstallFolder) + "\\ZelkoToday.ini";
  if (!files.exists(deviceIni)) {
    if (auto s = copyFile(ini, deviceIni, files); !s.ok()) return s;
    done.iniWritten = true;
  }
  return done;
}

}  // namespace zelko::device
