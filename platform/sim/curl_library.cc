#include "platform/sim/curl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace zelko::platform::sim {
namespace {

// The name under which every libcurl 7 and 8 is installed.
constexpr char kSoname[] = "libcurl.so.4";

template <typename F>
bool bind(void* handle, const char* name, F& into) {
  into = reinterpret_cast<F>(dlsym(handle, name));
  return into != nullptr;
}

struct Loaded {
  CurlLibrary library{};
  bool ok = false;
  std::string error;
};

Loaded load() {
  Loaded out;
  // Kept open for the life of the process.
  void* handle = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    out.error = std::string("cannot load ") + kSoname + ": " + dlerror();
    return out;
  }
  decltype(&curl_global_init) globalInit = nullptr;
  CurlLibrary& c = out.library;
  if (!bind(handle, "curl_global_init", globalInit) || !bind(handle, "curl_easy_init", c.easyInit) ||
      !bind(handle, "curl_easy_setopt", c.easySetopt) || !bind(handle, "curl_easy_perform", c.easyPerform) ||
      !bind(handle, "curl_easy_getinfo", c.easyGetinfo) || !bind(handle, "curl_easy_cleanup", c.easyCleanup) ||
      !bind(handle, "curl_easy_strerror", c.easyStrerror) || !bind(handle, "curl_slist_append", c.slistAppend) ||
      !bind(handle, "curl_slist_free_all", c.slistFreeAll)) {
    out.error = std::string(kSoname) + " lacks a function the device needs";
    return out;
  }
  if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    out.error = std::string("cannot initialise ") + kSoname;
    return out;
  }
  out.ok = true;
  return out;
}

}  // namespace

const CurlLibrary* curlLibrary(std::string& error) {
  static std::once_flag once;
  static Loaded loaded;
  std::call_once(once, [] { loaded = load(); });
  error = loaded.error;
  return loaded.ok ? &loaded.library : nullptr;
}

}  // namespace zelko::platform::sim
