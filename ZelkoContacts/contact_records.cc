#include "ZelkoContacts/contact_records.h"

#include <cstdio>

#include "common/outlook_store.h"
#include "common/provider_records.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::contacts {

std::string anniversariesKey(std::string_view store) {
  return providerKey(store, "Anniversaries");
}

std::string anniversaryKey(std::string_view store, int k) {
  return anniversariesKey(store) + "\\Anniversary" + std::to_string(k);
}

std::string chooseKey(std::string_view store) { return providerKey(store, "Choose"); }

std::optional<std::string> saveContactPicture(Suite& suite, OutlookStore& store) {
  const std::string& folder = suite.settings().specialFolders().myPictures;
  uint32_t oid = store.record().oid;
  char name[32];
  std::snprintf(name, sizeof name, "\\%u.jpg", oid);
  std::string oldPath = folder + name;
  platform::Status removed = suite.platform().files().removeFile(oldPath);
  if (!removed.ok() && removed.code() != platform::Status::Code::kNotFound) {
    suite.platform().log().failure("deleting " + oldPath, removed);
  }
  std::snprintf(name, sizeof name, "\\%08x.jpg", oid);
  std::string path = folder + name;
  if (!store.saveContactPicture(path)) return std::nullopt;
  return path;
}

}  // namespace zelko::contacts
