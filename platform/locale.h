// Locale-dependent formatting, as the phone's GetDateFormat/GetTimeFormat do it.
#pragma once

#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace zelko::platform {

class Locale {
 public:
  Locale() = default;
  Locale(const Locale&) = delete;
  Locale& operator=(const Locale&) = delete;
  virtual ~Locale() = default;

  // The device locale's name, such as "en-US" or "fr-FR".
  virtual std::string name() = 0;
  // Formats a date with a Windows date picture ("dddd dd MMMM", "yyyyMMdd", "M/d/yyyy";
  // text in single quotes is copied as is). Day and month names are those of the locale.
  virtual std::string formatDate(std::string_view picture, const DateTime& t) = 0;
  // Formats a time with a Windows time picture ("HH:mm", "h:mm tt", "hh:mm:ss").
  virtual std::string formatTime(std::string_view picture, const DateTime& t) = 0;
  // The locale's short date picture in Windows notation, for example "M/d/yyyy" for en-US
  // and "dd/MM/yyyy" for fr-FR.
  virtual std::string shortDatePicture() = 0;
  // The locale's short time picture in Windows notation, for example "h:mm tt" for en-US
  // (with a plain blank before the marker) and "HH:mm" for fr-FR.
  virtual std::string shortTimePicture() = 0;
};

}  // namespace zelko::platform
