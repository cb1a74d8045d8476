// The emulated device's locale: names and short formats from ICU's data, formatting
// through the shared Windows picture code.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/date_picture.h"
#include "platform/locale.h"

namespace zelko::platform::sim {

// The Gregorian names of a locale ("en-US", "fr_FR"; both separators work). A locale ICU
// has no data for gets the en-US names, never those of the host's own locale.
LocaleNames loadLocaleNames(std::string_view localeName);

// The locale's short date and time patterns in Windows picture notation: "M/d/yyyy" and
// "h:mm tt" for en-US, "dd/MM/yyyy" and "HH:mm" for fr-FR. The year is always written in
// full, as the phone's short dates do; fields Windows has no letter for are left out.
std::string icuShortDatePicture(std::string_view localeName);
std::string icuShortTimePicture(std::string_view localeName);

// Converts one ICU date pattern ("dd.MM.yy", "h:mm\u202Fa") to a Windows picture.
std::string icuPatternToPicture(std::string_view icuPattern);

class IcuLocale final : public Locale {
 public:
  // Reads everything from ICU once, at the first use, so formatting later costs no ICU
  // call and a program that formats nothing never reads it.
  explicit IcuLocale(std::string_view localeName);

  // The name given to the constructor, with '-' between its parts ("fr-FR").
  std::string name() override { return name_; }
  std::string formatDate(std::string_view picture, const DateTime& t) override;
  std::string formatTime(std::string_view picture, const DateTime& t) override;
  std::string shortDatePicture() override { return data().shortDate; }
  std::string shortTimePicture() override { return data().shortTime; }

 private:
  struct Data {
    LocaleNames names;
    std::string shortDate;
    std::string shortTime;
  };
  const Data& data();

  std::string name_;
  std::once_flag loaded_;
  Data data_;
};

}  // namespace zelko::platform::sim
