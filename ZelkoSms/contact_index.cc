#include "ZelkoSms/contact_index.h"

#include "common/outlook_store.h"
#include "platform/text.h"

namespace zelko::sms {
namespace {

// Two folded names as one key; the length keeps "ab"+"c" apart from "a"+"bc".
std::string pairKey(std::string_view last, std::string_view first) {
  return std::to_string(last.size()) + ':' + std::string(last) + std::string(first);
}

}  // namespace

void ContactIndex::wantName(std::string_view name, std::string_view second) {
  if (name.empty()) return;
  if (second.empty()) {
    byEitherName_.emplace(platform::foldCase(name), kNone);
  } else {
    byBothNames_.emplace(pairKey(platform::foldCase(name), platform::foldCase(second)), kNone);
  }
}

void ContactIndex::wantPhone(std::string_view number) {
  byNumber_.emplace(platform::phoneKey(number), kNone);
}

// Contacts come in the store's order, so the first to answer a key keeps it. The store
// never matches an empty text, whatever the comparison.
bool ContactIndex::answer(Index& index, std::string_view text, const std::string& key) {
  if (text.empty()) return false;
  auto it = index.find(key);
  if (it == index.end() || it->second != kNone) return false;
  it->second = kept_.size();
  return true;
}

void ContactIndex::read(OutlookStore& store) {
  if (!store.find("")) return;
  do {
    const auto* c = std::get_if<platform::Contact>(&*store.lastItem());
    if (!c) continue;
    bool keep = false;
    std::string last = platform::foldCase(c->lastName), first = platform::foldCase(c->firstName);
    keep |= answer(byEitherName_, last, last);
    keep |= answer(byEitherName_, first, first);
    if (!first.empty()) keep |= answer(byBothNames_, last, pairKey(last, first));
    for (const std::string* number : {&c->mobilePhone, &c->businessPhone, &c->homePhone}) {
      if (!number->empty()) keep |= answer(byNumber_, *number, platform::phoneKey(*number));
    }
    if (keep) kept_.push_back(*c);
  } while (store.next());
}

const platform::Contact* ContactIndex::at(const Index& index, const std::string& key) const {
  auto it = index.find(key);
  return it == index.end() || it->second == kNone ? nullptr : &kept_[it->second];
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
