// The answers to many contact lookups from one walk of the contacts: the lookups are
// named first, by the texts the store's name and number lookups compare, and the walk then
// keeps, for each, the first contact that answers it. Matching many senders thus costs one
// walk and a hash lookup per contact and per sender, not one walk per sender.
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
  // The lookups to answer, before read().
  void wantName(std::string_view name, std::string_view second);
  void wantPhone(std::string_view number);
  // Walks every contact of `store` (opened on the contacts folder) once.
  void read(OutlookStore& store);

  // What OutlookStore::findContactByName finds, compared as the store compares names
  // (every letter without regard to case): with `second` empty the first contact, in the
  // store's order, whose last or first name is `name`; otherwise the first whose last name
  // is `name` and first name is `second`. nullptr when none, for an empty name, and for a
  // lookup that was not wanted.
  const platform::Contact* byName(std::string_view name, std::string_view second) const;
  // What OutlookStore::findContactByPhone finds: the first contact with `number` as its
  // mobile, business or home number, compared as the store compares numbers.
  const platform::Contact* byPhone(std::string_view number) const;

 private:
  // Wanted key -> the kept contact that answers it, or kNone.
  using Index = std::unordered_map<std::string, size_t>;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  const platform::Contact* at(const Index& index, const std::string& key) const;
  // Whether `key` is wanted and still open; answers it with the contact kept next.
  bool answer(Index& index, std::string_view text, const std::string& key);

  Index byEitherName_;  // folded last or first name
  Index byBothNames_;   // pairKey(folded last, folded first)
  Index byNumber_;      // phoneKey of any of the three numbers
  std::vector<platform::Contact> kept_;
};

}  // namespace zelko::sms
