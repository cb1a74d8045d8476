// Folders of the device's file system opened on the host without following links. The
// phone's file system has none, so a link found below fs/ (left there by hand or by some
// other tool) is never passed through: writing into a folder reached that way could land
// anywhere on the host.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/status.h"

namespace zelko::platform::sim {

// An open file descriptor, closed with its owner.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release();

 private:
  int fd_ = -1;
};

// The entry of the open folder `dir` that is `name` without regard to case: `name` itself
// when it exists so, else the first entry that matches, else `name` unchanged.
std::string matchEntry(int dir, const std::string& name);

// Opens the folder `root` / parts..., matching each part without regard to case and
// creating the missing ones when `create`. Invalid when a part is a link (or not a
// folder), NotFound when one is missing and `create` is false, IoError otherwise.
// `shown` names the path in messages.
Result<UniqueFd> openFolderNoFollow(const std::filesystem::path& root,
                                    const std::vector<std::string>& parts, bool create,
                                    const std::string& shown);

}  // namespace zelko::platform::sim
