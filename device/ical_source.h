// An iCalendar file's lines as written, for what libical cannot do itself: check the text
// before it is parsed, and name the line of a problem (libical forgets line numbers).
#pragma once

#include <libical/ical.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelko::device {

class IcalSource {
 public:
  // `text` is UTF-8 already decoded from the file's bytes; any line end.
  explicit IcalSource(std::string_view text);

  // The text as libical reads it: the same lines, each ended by CR LF.
  const std::string& normalized() const { return normalized_; }

  // Invalid "line N: ..." for a NUL character, text that is not UTF-8, or an RRULE whose
  // COUNT or INTERVAL is out of range (libical would wrap it round to another number).
  platform::Status check() const;

  // The line of the n-th VEVENT of the calendars (0-based), or 0 when unknown.
  int eventLine(size_t n) const { return n < eventLines_.size() ? eventLines_[n] : 0; }

  // The first line of a content line named `property` ("X" for any X- property) whose
  // value holds `fragment`, or is empty when `fragment` is; without a property, of any
  // content line that holds `fragment`. 0 for none.
  int lineOf(const std::string& property, const std::string& fragment) const;

 private:
  struct ContentLine {
    int line;
    std::string name;  // upper case, without parameters
    std::string value;
    std::string text;  // the whole line, unfolded
  };
  std::vector<ContentLine> contentLines_;
  std::vector<int> eventLines_;
  std::string normalized_;
};

// Ok unless the parse left X-LIC-ERROR properties behind: libical drops a line it cannot
// read and goes on, so what was dropped cannot be known. An empty value is no error where
// an empty value means nothing is there (texts such as DESCRIPTION or LOCATION, addresses,
// links, X- properties): web calendars write them in every event, and they read as empty.
// Invalid "line N: ..." naming the first real error otherwise.
platform::Status refuseMalformed(icalcomponent* root, const IcalSource& source);

}  // namespace zelko::device
