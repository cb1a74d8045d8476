// The store's restriction language, compiled once per find and then tested against each
// item of the folder. See Items::find for the language itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/items.h"

namespace zelko::platform::sim {

// Reads a date written with a Windows date picture of digits ("M/d/yyyy", "dd.MM.yyyy",
// "yy/MM/dd"). Day and month names are not read. A two-digit year falls in 1930-2029, as
// the phone's default calendar setting places it. nullopt when the text does not follow
// the picture or names an impossible day.
std::optional<DateTime> parseDateWithPicture(std::string_view picture, std::string_view text);

// Days since 1970-01-01 of the calendar day of a local time (negative before 1970).
int64_t dayNumber(const DateTime& t);

class Restriction {
 public:
  // Compiles `text`; Invalid (with the reason) when it is malformed. Dates are read with
  // `shortDatePicture` first, then as MM/dd/yyyy.
  static Result<Restriction> parse(std::string_view text, std::string_view shortDatePicture);

  // True for an empty restriction.
  bool matchesEverything() const { return root_ < 0; }
  bool matches(const Contact& contact) const;
  bool matches(const Appointment& appointment) const;

 private:
  enum class Prop : uint8_t;
  enum class Op : uint8_t { kEq, kNe, kLt, kLe, kGt, kGe };
  struct Node {
    enum Kind : uint8_t { kAnd, kOr, kCompare } kind;
    int left = -1, right = -1;
    Prop prop{};
    Op op = Op::kEq;
    std::string text;    // folded text or phone key
    int64_t number = 0;  // day number, flag or minutes
  };
  class Parser;

  template <typename ItemT>
  bool eval(int node, const ItemT& item) const;
  bool compare(const Node& n, const Contact& c) const;
  bool compare(const Node& n, const Appointment& a) const;

  std::vector<Node> nodes_;
  int root_ = -1;
};

}  // namespace zelko::platform::sim
