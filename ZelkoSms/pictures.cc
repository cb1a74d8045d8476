#include "ZelkoSms/pictures.h"

#include <cstdio>

#include "ZelkoSms/log.h"
#include "common/outlook_store.h"
#include "common/suite.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace zelko::sms {

PictureFolder::PictureFolder(Suite& suite, OutlookStore& store)
    : suite_(suite), store_(store), folder_(suite.settings().specialFolders().myPictures) {
  auto entries = suite.platform().files().listDirectory(folder_);
  if (!entries.ok()) return;
  for (const platform::DirEntry& e : *entries) {
    if (!e.isDirectory) present_.insert(platform::foldCase(e.name));
  }
}

std::string PictureFolder::fileName(const char* format, uint32_t oid) {
  char name[32];
  std::snprintf(name, sizeof name, format, oid);
  return name;
}

const std::optional<std::string>& PictureFolder::pictureOf(const platform::Contact& contact) {
  auto it = seen_.find(contact.oid);
  if (it == seen_.end()) it = seen_.emplace(contact.oid, find(contact)).first;
  return it->second;
}

std::optional<std::string> PictureFolder::find(const platform::Contact& contact) {
  std::string decimal = fileName("%u.jpg", contact.oid);
  if (present_.erase(platform::foldCase(decimal))) {
    logFailure("cannot remove a picture", suite_.platform().files().removeFile(folder_ + "\\" + decimal));
  }
  std::string hex = fileName("%08x.jpg", contact.oid);
  std::string full = folder_ + "\\" + hex;
  // A picture once written stays as it is: the home screen may be showing it.
  if (present_.count(platform::foldCase(hex))) return full;
  if (!contact.hasPicture || !store_.fetch(contact.oid) || !store_.saveContactPicture(full)) {
    return std::nullopt;
  }
  present_.insert(platform::foldCase(hex));
  return full;
}

}  // namespace zelko::sms
