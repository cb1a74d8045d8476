// Reads arbitrary bytes as Google's weather API reply: see meteo_fuzz_checks.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/meteo_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zelko::meteo::fuzzing::checkReader(zelko::meteo::readGoogleFeed,
                                     {reinterpret_cast<const char*>(data), size}, "GOOGLE Weather", 5);
  return 0;
}
