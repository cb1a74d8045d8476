// The logs of the device under run/: what the programs the device starts write to their
// stdout and stderr, and what its background services say. A program outlives the command
// that started it, so it never writes to that command's terminal or pipes.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelko::platform::sim {

// A log that has grown past this is moved to NAME.log.1 (the one before is dropped), so a
// device keeps at most about twice this of each log.
inline constexpr size_t kMaxLogBytes = 256 * 1024;

// run/NAME.log for the program or service `name` (a device path's file name is reduced to
// its name without the extension; anything but letters, digits, '-', '_' and '.' becomes
// '_').
std::filesystem::path deviceLogPath(const std::filesystem::path& deviceDir, std::string_view name);

// Opens that log for appending (close-on-exec), first moving aside one that is too large.
// -1 when it cannot be opened.
int openDeviceLog(const std::filesystem::path& deviceDir, std::string_view name);

// Moves the log's text to NAME.log.1 when it is past kMaxLogBytes and empties the log in
// place, so that the programs writing to it go on writing to the (now short) log. A line
// written between the copy and the emptying is lost; the log is for people to read.
void trimDeviceLog(const std::filesystem::path& log);
// For a process that lives as long as what writes to `log`: trims it every few seconds
// from a thread of its own, for the rest of the process's life.
void keepDeviceLogTrimmed(const std::filesystem::path& log);

}  // namespace zelko::platform::sim
