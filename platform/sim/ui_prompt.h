// Asking a person at the terminal, for the device's dialogs when a program runs with a
// terminal as its standard input. Prompts go to stderr, so stdout stays the program's.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace zelko::platform::sim {

bool stdinIsTerminal();

// Writes `prompt` to stderr and reads one line from stdin, without its line end. nullopt
// at the end of input, on an error, or when `timeout` passes first (no limit when
// nullopt).
std::optional<std::string> promptLine(const std::string& prompt,
                                      std::optional<std::chrono::milliseconds> timeout);

}  // namespace zelko::platform::sim
