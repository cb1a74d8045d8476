// The home-screen value store: the registry values the home screen draws the plugin's
// pages from, the registry helpers every program reads and writes its records with, and
// the skin images those values point to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "platform/registry.h"

namespace zelko::platform {
class Clock;
class Files;
class Log;
}  // namespace zelko::platform

namespace zelko {

class Settings;

// ---- Registry helpers -------------------------------------------------------------

// The phone reads texts into a buffer of 255 units, the terminator included.
inline constexpr size_t kMaxRegTextUnits = 254;

// The text value; empty when the key or value is missing, the value is not a text, or
// the text is longer than kMaxRegTextUnits (the phone's getter fails on it rather than
// cutting it).
std::string regReadText(platform::Registry& registry, platform::Root root, std::string_view key,
                        std::string_view name);
// The DWORD value; 0 when missing or of another type.
uint32_t regReadNumber(platform::Registry& registry, platform::Root root, std::string_view key,
                       std::string_view name);
// Create the key when missing and set the value through the notifying setter, so that
// the home screen and every other watcher learn of the change. True on success.
bool regWriteText(platform::Registry& registry, platform::Root root, std::string_view key,
                  std::string_view name, std::string_view text);
bool regWriteNumber(platform::Registry& registry, platform::Root root, std::string_view key,
                    std::string_view name, uint32_t number);
// An 8-byte binary value holding a file time, as a calendar time; converted from UTC to
// the device's local time when `toLocal`. nullopt when missing, not 8 bytes of binary,
// or beyond the calendar.
std::optional<platform::DateTime> regReadTime(platform::Registry& registry, platform::Clock& clock,
                                              platform::Root root, std::string_view key,
                                              std::string_view name, bool toLocal);

// ---- Redirect table ---------------------------------------------------------------

// Redirect target names and pages hold at most this many UTF-16 units.
inline constexpr size_t kMaxRedirectUnits = 67;

struct RedirectTarget {
  std::string name;
  std::string page;
};

// Reads a redirect text of the skin INI file ("Name" or "Name,Page"; a third piece is
// ignored) for a write to `page`. nullopt when the name is empty or a piece is longer
// than kMaxRedirectUnits (a cut name would write to some other value), and when the
// target page holds a backslash (it would name the plugin key or a key of another
// page). An empty or missing page means `page` itself.
std::optional<RedirectTarget> parseRedirect(std::string_view text, std::string_view page);

// ---- The value store --------------------------------------------------------------

// Page values under HKLM\Software\Microsoft\CHome\ZelkoToday\<page>; the empty page is
// the plugin key itself. Reads the redirect table from the settings' skin INI document
// and the installation folder from the settings at the time of each call. A write that
// fails is silent for the caller's user, as on the phone, but goes to the log: one line
// for each update bracket that had failures, one for each failed write outside one.
class ValueStore {
 public:
  ValueStore(platform::Registry& registry, platform::Files& files, platform::Log& log,
             const Settings& settings);
  ValueStore(const ValueStore&) = delete;
  ValueStore& operator=(const ValueStore&) = delete;

  // Writes the value, then a copy under the redirect target that the skin INI document
  // names in section `page`, key `name`, if any. Writes to the plugin key itself are
  // never redirected, and a copy is never redirected again. True when the first write
  // succeeded; the copy is attempted regardless.
  bool writeText(std::string_view page, std::string_view name, std::string_view text);
  bool writeNumber(std::string_view page, std::string_view name, uint32_t number);
  // As regReadText / regReadNumber on the page's key; reads are never redirected.
  std::string readText(std::string_view page, std::string_view name);
  uint32_t readNumber(std::string_view page, std::string_view name);

  // The update bracket: "Updated" of the plugin key is "0" while a batch of writes is
  // under way and "1" once it is complete. Not counted: the last write wins. The failed
  // writes of a batch are logged together when it ends.
  void beginUpdate();
  void endUpdate();

  // The full path of a skin image: installation folder, skinFolder, "\", fileName when
  // that file exists; otherwise the same in `fallbackFolder` (whether it exists or not)
  // when one is given, else the first path. Folders are relative to the installation
  // folder, as the skin settings hold them.
  std::string resolveImage(std::string_view skinFolder, std::string_view fileName,
                           std::optional<std::string_view> fallbackFolder = std::nullopt);

 private:
  // Sets one value; a failure is kept for the batch's log line, or logged at once.
  bool set(std::string_view page, std::string_view name, const platform::RegValue& value);
  void writeRedirect(std::string_view page, std::string_view name, const platform::RegValue& value);
  // Logs the failures kept since the batch began, if any.
  void logBatchFailures();

  platform::Registry& registry_;
  platform::Files& files_;
  platform::Log& log_;
  const Settings& settings_;
  bool inBatch_ = false;
  int batchFailures_ = 0;
  std::string firstBatchFailure_;
};

// Opens the update bracket for its lifetime, so that an early return still closes it.
class UpdateBracket {
 public:
  explicit UpdateBracket(ValueStore& store) : store_(store) { store_.beginUpdate(); }
  ~UpdateBracket() { store_.endUpdate(); }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  ValueStore& store_;
};

}  // namespace zelko
