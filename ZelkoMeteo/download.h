// Downloads over the phone's connection manager, and hanging up what a run dialled.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelko::platform {
class Files;
class Platform;
class Radios;
class Status;
}  // namespace zelko::platform

namespace zelko::meteo {

// The most a feed or a map page may hold: a reply beyond it is cut there and then fails
// to read, rather than filling the phone.
inline constexpr uint64_t kDocumentByteLimit = 1 << 20;
inline constexpr uint64_t kImageByteLimit = 8 << 20;

// Fetches `url` into the device file `path`: removes the old file, asks the connection
// manager for a data connection (dialling one when none is up), then downloads. True
// when the reply's status is 2xx or 3xx (a redirect is not followed: its own body is
// the file) and its body was read, whole or up to `byteLimit`. A failure leaves no file,
// or, when the connection broke off mid-body, what arrived. Failures are logged.
bool downloadToFile(platform::Platform& platform, std::string_view url, std::string_view path,
                    uint64_t byteLimit);

// The bytes of a downloaded file; "" when it is missing or cannot be read (logged).
std::string readDownloadedFile(platform::Files& files, std::string_view path);

// Hangs up the dial-up connection that is up, when exactly one is: the phone asks with
// room for one entry, and with more the question fails and nothing is hung up.
void hangUpDialUp(platform::Radios& radios);

// One line on stderr (the program's log): "ZelkoMeteo: <what>: <status message>".
void logFailure(std::string_view what, const platform::Status& status);

}  // namespace zelko::meteo
