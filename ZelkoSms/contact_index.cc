#include "ZelkoSms/contact_index.h"

#include "common/outlook_store.h"
#include "platform/text.h"

namespace zelko::sms {
namespace {

// Two folded names as one key; the length keeps "ab"+"c" apart from "a"+"bc".
std::string pairKey(std::string_view last, std::string_view first) {
  return std::to_string(last.size()) + ':' + std::string(last) + std::string(first);
}

// The first contact keeps the key: emplace does not replace, and contacts come in the
// store's order. The store never matches an empty text, whatever the comparison.
void add(std::unordered_map<std::string, size_t>& index, std::string_view text,
         std::string key, size_t position) {
  if (!text.empty()) index.emplace(std::move(key), position);
}

}  // namespace

ContactIndex::ContactIndex(OutlookStore& store) {
  if (store.find("")) {
    do {
      if (const auto* c = std::get_if<platform::Contact>(&*store.lastItem())) contacts_.push_back(*c);
    } while (store.next());
  }
  byEitherName_.reserve(2 * contacts_.size());
  byBothNames_.reserve(contacts_.size());
  byNumber_.reserve(3 * contacts_.size());
  for (size_t i = 0; i < contacts_.size(); ++i) {
    const platform::Contact& c = contacts_[i];
    std::string last = platform::foldCase(c.lastName), first = platform::foldCase(c.firstName);
    add(byEitherName_, last, last, i);
    add(byEitherName_, first, first, i);
    if (!last.empty() && !first.empty()) byBothNames_.emplace(pairKey(last, first), i);
    for (const std::string* number : {&c.mobilePhone, &c.businessPhone, &c.homePhone}) {
      add(byNumber_, *number, platform::phoneKey(*number), i);
    }
  }
}

const platform::Contact* ContactIndex::at(const Index& index, const std::string& key) const {
  auto it = index.find(key);
  return it == index.end() ? nullptr : &contacts_[it->second];
}

const platform::Contact* ContactIndex::byName(std::string_view name, std::string_view second) const {
  if (name.empty()) return nullptr;
  if (second.empty()) return at(byEitherName_, platform::foldCase(name));
  return at(byBothNames_, pairKey(platform::foldCase(name), platform::foldCase(second)));
}

const platform::Contact* ContactIndex::byPhone(std::string_view number) const {
  return at(byNumber_, platform::phoneKey(number));
}

}  // namespace zelko::sms
