// The contacts read once and indexed by the texts the store's name and number lookups
// compare, so that matching many senders costs one walk of the contacts and one hash
// lookup per sender instead of one walk per sender.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/items.h"

namespace zelko {
class OutlookStore;
}

namespace zelko::sms {

class ContactIndex {
 public:
  // Walks every contact of `store` (opened on the contacts folder) once.
  explicit ContactIndex(OutlookStore& store);

  // What OutlookStore::findContactByName finds, compared as the store compares names
  // (every letter without regard to case): with `second` empty the first contact, in the
  // store's order, whose last or first name is `name`; otherwise the first whose last name
  // is `name` and first name is `second`. nullptr when none; never for an empty name.
  const platform::Contact* byName(std::string_view name, std::string_view second) const;
  // What OutlookStore::findContactByPhone finds: the first contact with `number` as its
  // mobile, business or home number, compared as the store compares numbers.
  const platform::Contact* byPhone(std::string_view number) const;

  size_t size() const { return contacts_.size(); }

 private:
  using Index = std::unordered_map<std::string, size_t>;
  const platform::Contact* at(const Index& index, const std::string& key) const;

  std::vector<platform::Contact> contacts_;
  Index byEitherName_;  // folded last or first name
  Index byBothNames_;   // pairKey(folded last, folded first)
  Index byNumber_;      // phoneKey of any of the three numbers
};

}  // namespace zelko::sms
