// ZelkoMeteo.exe, the weather provider: one run a start, chosen by its switches, then
// it exits with 0.
//   -zelkotoday -map | -infos    the map overlay on the weather page, on or off
//   -zelkotoday -glissade        the forecast moved one day on (no network)
//   otherwise                    an update run (update_run.h) for the provider of the
//                                home-screen settings or of -msn:CITY, -google:CITY,
//                                -accu:CITY with -lang, -degree, -metric and -map
// A second copy started while one runs ends at once, writing nothing. A data connection
// the run dialled is hung up afterwards; one that was up before stays.
#pragma once

#include <string>
#include <vector>

namespace zelko {
class Suite;
}

namespace zelko::meteo {

// The name of the named mutex that keeps a second copy from running.
inline constexpr char kMeteoMutex[] = "ZelkoMeteo";

// `args` as the platform split the command line, the program's own path first.
int runMeteo(Suite& suite, const std::vector<std::string>& args);

}  // namespace zelko::meteo
