#include "common/value_store.h"

#include "common/host.h"
#include "common/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/text.h"

namespace zelko {

using platform::RegValue;
using platform::Root;

std::string regReadText(platform::Registry& registry, Root root, std::string_view key,
                        std::string_view name) {
  auto value = registry.getValue(root, key, name);
  if (!value.ok() || value->type != platform::ValueType::kString) return {};
  if (platform::utf16Length(value->text) > kMaxRegTextUnits) return {};
  return value->text;
}

uint32_t regReadNumber(platform::Registry& registry, Root root, std::string_view key,
                       std::string_view name) {
  auto value = registry.getValue(root, key, name);
  if (!value.ok() || value->type != platform::ValueType::kDword) return 0;
  return value->dword;
}

bool regWriteText(platform::Registry& registry, Root root, std::string_view key,
                  std::string_view name, std::string_view text) {
  return registry.setValue(root, key, name, RegValue::Text(std::string(text))).ok();
}

bool regWriteNumber(platform::Registry& registry, Root root, std::string_view key,
                    std::string_view name, uint32_t number) {
  return registry.setValue(root, key, name, RegValue::Dword(number)).ok();
}

std::optional<platform::DateTime> regReadTime(platform::Registry& registry, platform::Clock& clock,
                                              Root root, std::string_view key,
                                              std::string_view name, bool toLocal) {
  auto value = registry.getValue(root, key, name);
  if (!value.ok() || value->type != platform::ValueType::kBinary) return std::nullopt;
  if (value->bytes.size() != sizeof(platform::FileTime)) return std::nullopt;
  platform::FileTime fileTime = 0;
  for (size_t i = 0; i < value->bytes.size(); ++i) {
    fileTime |= static_cast<platform::FileTime>(value->bytes[i]) << (8 * i);
  }
  std::optional<platform::DateTime> time = platform::fromFileTime(fileTime);
  if (time && toLocal) time = clock.toLocal(*time);
  return time;
}

std::optional<RedirectTarget> parseRedirect(std::string_view text, std::string_view page) {
  size_t comma = text.find(',');
  std::string_view name = text.substr(0, comma);
  std::string_view target_page;
  if (comma != std::string_view::npos) {
    std::string_view rest = text.substr(comma + 1);
    target_page = rest.substr(0, rest.find(','));
  }
  // An empty page piece ("Name," or "Name,,Page2") keeps the page written, rather than
  // sending the copy to the plugin key, which holds no page values.
  if (target_page.empty()) target_page = page;
  // A page is a single key below the plugin key. With a backslash the key path leads
  // elsewhere: a page of backslashes only is the plugin key itself once the registry
  // drops the separators, and a skin could so overwrite SkinName, Lang or the folders.
  if (name.empty() || target_page.find('\\') != std::string_view::npos) return std::nullopt;
  if (platform::utf16Length(name) > kMaxRedirectUnits ||
      platform::utf16Length(target_page) > kMaxRedirectUnits) {
    return std::nullopt;
  }
  return RedirectTarget{std::string(name), std::string(target_page)};
}

ValueStore::ValueStore(platform::Registry& registry, platform::Files& files, platform::Log& log,
                       const Settings& settings)
    : registry_(registry), files_(files), log_(log), settings_(settings) {}

bool ValueStore::writeText(std::string_view page, std::string_view name, std::string_view text) {
  RegValue value = RegValue::Text(std::string(text));
  bool ok = set(page, name, value);
  writeRedirect(page, name, value);
  return ok;
}

bool ValueStore::writeNumber(std::string_view page, std::string_view name, uint32_t number) {
  RegValue value = RegValue::Dword(number);
  bool ok = set(page, name, value);
  writeRedirect(page, name, value);
  return ok;
}

bool ValueStore::set(std::string_view page, std::string_view name, const RegValue& value) {
  const std::string key = host::pageKey(page);
  platform::Status status = registry_.setValue(Root::kLocalMachine, key, name, value);
  if (status.ok()) return true;
  std::string failure =
      "cannot write HKLM\\" + key + "\\" + std::string(name) + ": " + status.message();
  if (!inBatch_) {
    log_.write(failure);
  } else if (batchFailures_++ == 0) {
    firstBatchFailure_ = std::move(failure);
  }
  return false;
}

void ValueStore::writeRedirect(std::string_view page, std::string_view name,
                               const RegValue& value) {
  if (page.empty()) return;
  const IniEntry* entry = settings_.skinIni().find(page, name);
  if (entry == nullptr) return;
  std::optional<RedirectTarget> target = parseRedirect(entry->value, page);
  if (!target) return;
  set(target->page, target->name, value);
}

std::string ValueStore::readText(std::string_view page, std::string_view name) {
  return regReadText(registry_, Root::kLocalMachine, host::pageKey(page), name);
}

uint32_t ValueStore::readNumber(std::string_view page, std::string_view name) {
  return regReadNumber(registry_, Root::kLocalMachine, host::pageKey(page), name);
}

void ValueStore::beginUpdate() {
  logBatchFailures();  // of a batch that was never closed
  inBatch_ = true;
  writeText("", host::kUpdated, "0");
}

void ValueStore::endUpdate() {
  writeText("", host::kUpdated, "1");
  logBatchFailures();
  inBatch_ = false;
}

void ValueStore::logBatchFailures() {
  if (batchFailures_ > 0) {
    log_.write(std::to_string(batchFailures_) + " writes of an update failed, the first: " +
               firstBatchFailure_);
  }
  batchFailures_ = 0;
  firstBatchFailure_.clear();
}

std::string ValueStore::resolveImage(std::string_view skinFolder, std::string_view fileName,
                                     std::optional<std::string_view> fallbackFolder) {
  auto build = [&](std::string_view folder) {
    std::string path = settings_.installFolder();
    path += folder;
    path += '\\';
    path += fileName;
    return path;
  };
  std::string path = build(skinFolder);
  if (files_.exists(path) || !fallbackFolder) return path;
  return build(*fallbackFolder);
}

}  // namespace zelko
