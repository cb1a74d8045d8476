#include "device/ical_source.h"

#include "device/import_text.h"
#include "platform/sim/items_recurrence.h"

namespace zelko::device {
namespace {

using platform::Status;

std::string oneLine(std::string_view text) {
  std::string out;
  for (char c : text) out.push_back(c == '\r' || c == '\n' ? ' ' : c);
  return out;
}

Status lineError(int line, const std::string& what) {
  return Status::Invalid(line > 0 ? "line " + std::to_string(line) + ": " + what : what);
}

void collectErrors(icalcomponent* c, std::vector<std::string>& out) {
  for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_XLICERROR_PROPERTY); p;
       p = icalcomponent_get_next_property(c, ICAL_XLICERROR_PROPERTY)) {
    const char* text = icalproperty_get_xlicerror(p);
    out.push_back(oneLine(text ? text : "malformed line"));
  }
  for (icalcomponent* k = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); k;
       k = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT)) {
    collectErrors(k, out);
  }
}

// The text between `before` and `after` in `message`, or "".
std::string between(const std::string& message, const std::string& before, const std::string& after) {
  size_t from = message.find(before);
  if (from == std::string::npos) return "";
  from += before.size();
  size_t to = message.find(after, from);
  return to == std::string::npos ? "" : message.substr(from, to - from);
}

// "No value for DESCRIPTION property...": nothing is there, as for an absent property.
bool harmlessEmptyValue(const std::string& property) {
  if (property == "X") return true;
  icalproperty_kind kind = icalproperty_string_to_kind(property.c_str());
  if (kind == ICAL_X_PROPERTY || kind == ICAL_NO_PROPERTY) return true;
  icalvalue_kind value = icalproperty_kind_to_value_kind(kind);
  return value == ICAL_TEXT_VALUE || value == ICAL_URI_VALUE || value == ICAL_CALADDRESS_VALUE || value == ICAL_X_VALUE;
}

}  // namespace

IcalSource::IcalSource(std::string_view text) {
  std::vector<std::string_view> lines = splitLines(text);
  std::vector<std::string> open;
  for (size_t i = 0; i < lines.size(); ++i) {
    normalized_.append(lines[i]).append("\r\n");
    const int number = static_cast<int>(std::min<size_t>(i + 1, INT32_MAX));
    if (!lines[i].empty() && (lines[i][0] == ' ' || lines[i][0] == '\t') && !contentLines_.empty()) {
      contentLines_.back().value.append(lines[i].substr(1));
      contentLines_.back().text.append(lines[i].substr(1));
      continue;
    }
    std::string line(lines[i]);
    size_t colon = valueColon(line);
    size_t nameEnd = std::min(line.find(';'), colon);
    contentLines_.push_back({number, asciiUpper(trimBlanks(line.substr(0, nameEnd))),
                             colon == std::string::npos ? "" : line.substr(colon + 1), line});
    const ContentLine& cl = contentLines_.back();
    std::string value = asciiUpper(trimBlanks(cl.value));
    if (cl.name == "BEGIN") {
      if (value == "VEVENT" && !open.empty() && open.back() == "VCALENDAR") eventLines_.push_back(number);
      open.push_back(value);
    } else if (cl.name == "END" && !open.empty()) {
      open.pop_back();
    }
  }
}

Status IcalSource::check() const {
  std::vector<std::string_view> lines = splitLines(normalized_);
  for (size_t i = 0; i < lines.size(); ++i) {
    int line = static_cast<int>(std::min<size_t>(i + 1, INT32_MAX));
    if (lines[i].find('\0') != std::string_view::npos) return lineError(line, "NUL character in the text");
    if (std::string fault = utf8Fault(lines[i]); !fault.empty()) return lineError(line, fault);
  }
  for (const ContentLine& cl : contentLines_) {
    if (cl.name != "RRULE" && cl.name != "EXRULE") continue;
    Status s = platform::sim::checkRuleNumbers(trimBlanks(cl.value));
    if (!s.ok()) return lineError(cl.line, cl.name + ": " + s.message());
  }
  return Status::Ok();
}

int IcalSource::lineOf(const std::string& property, const std::string& fragment) const {
  for (const ContentLine& cl : contentLines_) {
    if (property.empty()) {
      if (!fragment.empty() && cl.text.find(fragment) != std::string::npos) return cl.line;
      continue;
    }
    bool named = cl.name == property || (property == "X" && cl.name.rfind("X-", 0) == 0);
    if (named && (fragment.empty() ? trimBlanks(cl.value).empty() : cl.value.find(fragment) != std::string::npos)) {
      return cl.line;
    }
  }
  return 0;
}

// libical's messages name the property ("No value for DTEND property", "Can't parse as
// DATE-TIME value in DTSTART property") and end in the rejected text ("...: garbage"):
// enough to find the line again.
Status refuseMalformed(icalcomponent* root, const IcalSource& source) {
  std::vector<std::string> errors, real;
  collectErrors(root, errors);
  for (const std::string& e : errors) {
    std::string empty = between(e, "No value for ", " property");
    if (empty.empty() || !harmlessEmptyValue(empty)) real.push_back(e);
  }
  if (real.empty()) return Status::Ok();
  const std::string& first = real.front();
  std::string more = real.size() > 1 ? " (and " + std::to_string(real.size() - 1) + " more malformed lines)" : "";
  std::string empty = between(first, "No value for ", " property");
  if (!empty.empty()) return lineError(source.lineOf(asciiUpper(empty), ""), "no value for " + empty + more);
  size_t colon = first.rfind(": ");
  std::string fragment = colon == std::string::npos ? "" : trimBlanks(first.substr(colon + 2));
  std::string property = asciiUpper(between(first, " in ", " property"));
  int line = fragment.empty() ? 0 : source.lineOf(property, fragment);
  if (line == 0 && !fragment.empty()) line = source.lineOf("", fragment);
  return lineError(line, first + more);
}

}  // namespace zelko::device
