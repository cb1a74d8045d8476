// The device's journal: what a person would have seen happen on the phone (launches and
// their exit codes, files opened, calls, texts sent, bubbles, dialogs, menus). Every event
// is one JSON object with a sequence number and the device-local time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zelko::platform::sim {

// How many events a device's journal keeps unless the device was made with another figure.
inline constexpr int64_t kDefaultJournalLimit = 100000;

// One member of an event: the key and its value already written as JSON.
struct JsonField {
  std::string key;
  std::string json;

  static JsonField Text(std::string key, std::string_view value);
  static JsonField Number(std::string key, int64_t value);
  static JsonField Bool(std::string key, bool value);
  static JsonField Null(std::string key);
  static JsonField Raw(std::string key, std::string json);
};

// Quotes and escapes a UTF-8 text as a JSON string.
std::string jsonQuote(std::string_view text);

struct JournalEntry {
  int64_t seq = 0;
  std::string time;   // device-local, YYYY-MM-DDTHH:MM:SS
  std::string event;  // "launch", "exit", "open", ...
  std::string json;   // the whole object: {"seq":..,"time":..,"event":..,<fields>}
};

class Journal {
 public:
  Journal() = default;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;
  virtual ~Journal() = default;

  // Appends an event and returns its sequence number (0 when the journal could not be
  // written: that never fails the caller).
  int64_t record(std::string_view event, std::initializer_list<JsonField> fields) {
    return record(event, std::vector<JsonField>(fields));
  }
  virtual int64_t record(std::string_view event, const std::vector<JsonField>& fields) = 0;
  // Replaces the fields of an event written earlier, keeping its place and time: a launch
  // is written before the program starts, so that it precedes whatever the program does.
  virtual void amend(int64_t seq, const std::vector<JsonField>& fields) = 0;
  // Events with a sequence number above `afterSeq`, oldest first.
  virtual std::vector<JournalEntry> read(int64_t afterSeq = 0) = 0;
};

}  // namespace zelko::platform::sim
