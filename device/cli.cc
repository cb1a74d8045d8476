#include "device/cli.h"

#include <charconv>
#include <cstdio>

namespace zelko::device {

bool Args::flag(const std::string& name) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (*it == "--") break;
    if (*it == name) {
      args_.erase(it);
      return true;
    }
  }
  return false;
}

std::optional<std::string> Args::option(const std::string& name) {
  for (auto it = args_.begin(); it != args_.end(); ++it) {
    if (*it == "--") break;
    if (*it == name) {
      if (it + 1 == args_.end()) throw UsageError(name + " needs a value");
      std::string value = *(it + 1);
      args_.erase(it, it + 2);
      return value;
    }
    if (it->rfind(name + "=", 0) == 0) {
      std::string value = it->substr(name.size() + 1);
      args_.erase(it);
      return value;
    }
  }
  return std::nullopt;
}

std::optional<std::string> Args::nextOptional() {
  if (!args_.empty() && args_.front() == "--") args_.erase(args_.begin());
  if (args_.empty()) return std::nullopt;
  std::string value = args_.front();
  args_.erase(args_.begin());
  return value;
}

std::string Args::next(const std::string& what) {
  auto v = nextOptional();
  if (!v) throw UsageError("missing " + what);
  return *v;
}

std::vector<std::string> Args::rest() {
  if (!args_.empty() && args_.front() == "--") args_.erase(args_.begin());
  std::vector<std::string> out = std::move(args_);
  args_.clear();
  return out;
}

void Args::done() {
  if (!args_.empty()) throw UsageError("unexpected argument " + args_.front());
}

platform::sim::Device& Context::device() {
  if (!device_) {
    auto opened = platform::sim::Device::open(dir_);
    if (!opened.ok()) throw Failure(opened.status().message());
    device_ = std::move(*opened);
  }
  return *device_;
}

void check(const platform::Status& status) {
  if (!status.ok()) throw Failure(status.message());
}

std::string escapeText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out.push_back(c);
  }
  return out;
}

std::string hexText(const std::vector<uint8_t>& bytes) {
  std::string out;
  char buf[3];
  for (uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02x", b);
    out += buf;
  }
  return out;
}

uint64_t parseNumber(const std::string& text, const std::string& what) {
  std::string_view s = text;
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
    throw UsageError("bad " + what + " " + text + " (expected a number)");
  }
  return value;
}

}  // namespace zelko::device
