// libcurl, loaded when the first download starts rather than with every program: it
// brings some thirty libraries of its own (TLS, compression, directory services), which
// every other program of the device, and the launcher of each, would otherwise load and
// relocate at each start for nothing.
#pragma once

#include <curl/curl.h>

#include <string>

namespace zelko::platform::sim {

// The functions of libcurl the device uses, from the loaded library.
struct CurlLibrary {
  decltype(&curl_easy_init) easyInit;
  decltype(&curl_easy_setopt) easySetopt;
  decltype(&curl_easy_perform) easyPerform;
  decltype(&curl_easy_getinfo) easyGetinfo;
  decltype(&curl_easy_cleanup) easyCleanup;
  decltype(&curl_easy_strerror) easyStrerror;
  decltype(&curl_slist_append) slistAppend;
  decltype(&curl_slist_free_all) slistFreeAll;
};

// Loads and initialises libcurl on the first call (from any thread); the same library
// afterwards. nullptr when it cannot be loaded, with the reason in `error`.
const CurlLibrary* curlLibrary(std::string& error);

}  // namespace zelko::platform::sim
