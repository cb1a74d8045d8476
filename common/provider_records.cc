#include "common/provider_records.h"

#include "common/suite.h"
#include "platform/platform.h"

namespace zelko {

std::optional<std::string> providerStoreName(Suite& suite, std::string_view fallback) {
  std::optional<std::string> name = suite.settings().argument("-reg");
  if (!name) return std::string(fallback);
  if (name->empty() || name->find('\\') != std::string::npos) {
    suite.platform().log().failure("-reg:" + *name,
                                   platform::Status::Invalid("not a store name; nothing done"));
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

bool deleteRecords(Suite& suite, std::string_view key) {
  platform::Status status = suite.platform().registry().deleteKey(platform::Root::kCurrentUser, key);
  if (status.ok() || status.code() == platform::Status::Code::kNotFound) return true;
  suite.platform().log().failure("deleting the records " + std::string(key), status);
  return false;
}

RecordWriter::~RecordWriter() {
  if (failures_ == 0) return;
  suite_.platform().log().failure(
      "writing the record " + key_,
      platform::Status::IoError(std::to_string(failures_) + " value(s) not written, the first " +
                                firstFailure_));
}

void RecordWriter::text(std::string_view name, std::string_view value) {
  count(suite_.regWriteText(platform::Root::kCurrentUser, key_, name, value), name);
}

void RecordWriter::textIfAny(std::string_view name, std::string_view value) {
  if (!value.empty()) text(name, value);
}

void RecordWriter::number(std::string_view name, uint32_t value) {
  count(suite_.regWriteNumber(platform::Root::kCurrentUser, key_, name, value), name);
}

void RecordWriter::count(bool written, std::string_view name) {
  if (written) return;
  if (failures_++ == 0) firstFailure_ = std::string(name);
}

}  // namespace zelko
