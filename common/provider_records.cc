#include "common/provider_records.h"

#include <cstdio>

#include "common/settings.h"
#include "platform/registry.h"

namespace zelko {

std::optional<std::string> providerStoreName(const Settings& settings, std::string_view fallback) {
  std::optional<std::string> name = settings.argument("-reg");
  if (!name) return std::string(fallback);
  if (name->empty() || name->find('\\') != std::string::npos) {
    logFailure("-reg:" + *name, platform::Status::Invalid("not a store name; nothing done"));
    return std::nullopt;
  }
  return name;
}

std::string providerKey(std::string_view store) {
  std::string key(kProviderRecordsKey);
  key += '\\';
  key += store;
  return key;
}

std::string providerKey(std::string_view store, std::string_view sub) {
  std::string key = providerKey(store);
  key += '\\';
  key += sub;
  return key;
}

bool deleteRecords(platform::Registry& registry, std::string_view key) {
  platform::Status status = registry.deleteKey(platform::Root::kCurrentUser, key);
  if (status.ok() || status.code() == platform::Status::Code::kNotFound) return true;
  logFailure("deleting the records " + std::string(key), status);
  return false;
}

void logFailure(std::string_view what, const platform::Status& status) {
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(what.size()), what.data(),
               status.message().c_str());
}

}  // namespace zelko
