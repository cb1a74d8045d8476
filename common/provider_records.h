// The records a provider keeps under HKEY_CURRENT_USER\Software\Zelko\<store>: the store's
// name (its default, or -reg), its keys, clearing the records of the run before, and
// writing a record value by value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko {

class Suite;

inline constexpr std::string_view kProviderRecordsKey = "Software\\Zelko";

// The value of -reg, or `fallback` when -reg is not given. nullopt (and a line in the log)
// when -reg names no key of its own: an empty name, or one with a backslash, would put the
// records, and the deletion that starts each listing, on Software\Zelko itself or on some
// other key below it.
std::optional<std::string> providerStoreName(Suite& suite, std::string_view fallback);

// "Software\Zelko\<store>", and below it "Software\Zelko\<store>\<sub>".
std::string providerKey(std::string_view store);
std::string providerKey(std::string_view store, std::string_view sub);

// Deletes `key` of HKEY_CURRENT_USER with everything below it. True when the key is gone
// (a missing key is no error); a failure goes to the log, since the providers carry on and
// let the new records replace the old.
bool deleteRecords(Suite& suite, std::string_view key);

// Writes the values of one record under the HKEY_CURRENT_USER key `key`, in the order
// called. A write that fails is silent for the user, as on the phone, and the failures
// go to the log in one line when the writer ends.
class RecordWriter {
 public:
  RecordWriter(Suite& suite, std::string key) : suite_(suite), key_(std::move(key)) {}
  ~RecordWriter();
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  void text(std::string_view name, std::string_view value);
  // Leaves the value out when `value` is empty.
  void textIfAny(std::string_view name, std::string_view value);
  void number(std::string_view name, uint32_t value);

 private:
  void count(bool written, std::string_view name);

  Suite& suite_;
  std::string key_;
  int failures_ = 0;
  std::string firstFailure_;
};

}  // namespace zelko
