// Reads arbitrary bytes as MSN's weather data reply: see meteo_fuzz_checks.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/meteo_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zelko::meteo::fuzzing::checkReader(zelko::meteo::readMsnFeed,
                                     {reinterpret_cast<const char*>(data), size}, "MSN Weather", -1);
  return 0;
}
