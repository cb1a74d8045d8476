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
  if (!args_.empty()) throw UsageError("unexpected argument " + shortened(args_.front()));
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

void checkInput(const platform::Status& status) {
  if (status.code() == platform::Status::Code::kInvalid) throw UsageError(status.message());
  check(status);
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

std::string shortened(const std::string& text) {
  constexpr size_t kShown = 60;
  if (text.size() <= kShown + 3) return text;
  size_t cut = kShown;
  // Not inside a character: back up over UTF-8 continuation bytes.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

namespace {

enum class Reading { kNumber, kTooLarge, kBad };

// A decimal or 0x-hexadecimal unsigned number, the whole of `s`.
Reading readUnsigned(std::string_view s, uint64_t& value) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  }
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (s.empty() || end != s.data() + s.size()) return Reading::kBad;
  if (ec == std::errc::result_out_of_range) return Reading::kTooLarge;
  return ec == std::errc() ? Reading::kNumber : Reading::kBad;
}

UsageError badNumber(const std::string& text, const std::string& what) {
  return UsageError("bad " + what + " " + shortened(text) + " (expected a number)");
}

}  // namespace

uint64_t parseNumber(const std::string& text, const std::string& what, uint64_t max) {
  uint64_t value = 0;
  Reading r = readUnsigned(text, value);
  if (r == Reading::kBad) throw badNumber(text, what);
  if (r == Reading::kTooLarge || value > max) {
    throw UsageError(what + " " + shortened(text) + " is out of range (at most " +
                     std::to_string(max) + ")");
  }
  return value;
}

int64_t parseInteger(const std::string& text, const std::string& what, int64_t min, int64_t max) {
  bool negative = !text.empty() && text[0] == '-';
  uint64_t magnitude = 0;
  Reading r = readUnsigned(std::string_view(text).substr(negative ? 1 : 0), magnitude);
  if (r == Reading::kBad) throw badNumber(text, what);
  // The magnitude of INT64_MIN is one past INT64_MAX.
  uint64_t limit = negative ? uint64_t{1} << 63 : uint64_t{INT64_MAX};
  int64_t value = 0;
  bool fits = r == Reading::kNumber && magnitude <= limit;
  if (fits) value = negative ? static_cast<int64_t>(uint64_t{0} - magnitude) : static_cast<int64_t>(magnitude);
  if (!fits || value < min || value > max) {
    throw UsageError(what + " " + shortened(text) + " is out of range (" + std::to_string(min) +
                     " to " + std::to_string(max) + ")");
  }
  return value;
}

}  // namespace zelko::device
