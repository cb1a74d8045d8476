// The contacts' picture files in the My Pictures folder, named after the contact's object
// id: "%08x.jpg"; the decimal-named "%u.jpg" of an older scheme is removed. The folder is
// listed once per run, so that matching many texts does not look for each file apart.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/items.h"

namespace zelko {
class OutlookStore;
class Suite;
}  // namespace zelko

namespace zelko::sms {

class PictureFolder {
 public:
  PictureFolder(Suite& suite, OutlookStore& store);

  // The full path of the contact's picture file: the one there already, whatever the
  // store now holds, else one written from the store. nullopt when the contact has none.
  const std::optional<std::string>& pictureOf(const platform::Contact& contact);

 private:
  static std::string fileName(const char* format, uint32_t oid);
  std::optional<std::string> find(const platform::Contact& contact);

  Suite& suite_;
  OutlookStore& store_;
  std::string folder_;
  std::unordered_set<std::string> present_;  // folded file names
  std::unordered_map<uint32_t, std::optional<std::string>> seen_;  // by object id, this run
};

}  // namespace zelko::sms
