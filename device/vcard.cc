#include "device/vcard.h"

#include <algorithm>
#include <map>
#include <optional>

#include "device/import_text.h"
#include "device/vcard_lines.h"
#include "platform/date_time.h"

namespace zelko::device {
namespace {

using platform::Status;
using namespace vcard;

// "1980-05-17", "19800517", either with a time after 'T', and "--0517" / "--05-17" for a
// day without a year.
platform::DateTime parseCardDate(const ContentLine& cl, const std::string& text) {
  std::string_view s = text;
  bool noYear = s.substr(0, 2) == "--";
  if (noYear) s.remove_prefix(2);
  s = s.substr(0, s.find('T'));
  std::string digits;
  for (size_t i = 0; i < s.size(); ++i) {
    bool dashHere = noYear ? (s.size() == 5 && i == 2) : (s.size() == 10 && (i == 4 || i == 7));
    if (dashHere && s[i] == '-') continue;
    digits.push_back(s[i] >= '0' && s[i] <= '9' ? s[i] : 'x');
  }
  size_t want = noYear ? 4 : 8;
  platform::DateTime t;
  if (digits.size() == want && digits.find('x') == std::string::npos) {
    t.year = noYear ? kNoYear : std::stoi(digits.substr(0, 4));
    t.month = std::stoi(digits.substr(want - 4, 2));
    t.day = std::stoi(digits.substr(want - 2, 2));
    if (t.year >= 1601 && platform::normalizeDateTime(t)) return t;
  }
  fail(cl.line, cl.name + ": bad date " + quotedForMessage(text) + " (expected YYYY-MM-DD)");
}

std::string base64Bytes(const ContentLine& cl, std::string_view data) {
  auto bytes = decodeBase64(data);
  if (!bytes) fail(cl.line, cl.name + ": bad base64 data");
  return *bytes;
}

// Inline photos only: a link to elsewhere is not the picture itself.
std::optional<std::string> photoBytes(const ContentLine& cl) {
  std::string enc = cl.encoding();
  if (enc == "B" || enc == "BASE64") return base64Bytes(cl, cl.value);
  std::string_view v = cl.value;
  if (v.size() < 5 || asciiUpper(std::string(v.substr(0, 5))) != "DATA:") return std::nullopt;
  size_t comma = v.find(',');
  if (comma == std::string_view::npos) fail(cl.line, "PHOTO: data: URI without ','");
  std::string head = asciiUpper(std::string(v.substr(5, comma - 5)));
  std::string_view payload = v.substr(comma + 1);
  if (head.size() >= 7 && head.substr(head.size() - 7) == ";BASE64") return base64Bytes(cl, payload);
  auto bytes = percentDecode(payload);
  if (!bytes) fail(cl.line, "PHOTO: bad %-escape in data: URI");
  return *bytes;
}

enum class PhoneKind { kMobile, kHome, kBusiness, kAny, kNone };

PhoneKind phoneKind(const ContentLine& cl) {
  auto types = cl.param("TYPE");
  auto has = [&](const char* t) { return std::find(types.begin(), types.end(), t) != types.end(); };
  for (const char* notVoice : {"FAX", "PAGER", "TEXTPHONE", "ISDN", "MODEM", "BBS"}) {
    if (has(notVoice)) return PhoneKind::kNone;
  }
  if (has("CELL") || has("MOBILE") || has("IPHONE")) return PhoneKind::kMobile;
  if (has("WORK")) return PhoneKind::kBusiness;
  if (has("HOME")) return PhoneKind::kHome;
  return PhoneKind::kAny;
}

bool isPreferred(const ContentLine& cl) { return cl.hasParam("TYPE", "PREF") || !cl.param("PREF").empty(); }

// A tel: URI as the number the phone dials: "tel:+1-418-656-9254;ext=102" is
// "+14186569254,102" (the comma is the phone's pause before the extension).
std::string dialable(const std::string& value) {
  std::string text = trimBlanks(value);
  if (text.size() < 4 || asciiUpper(text.substr(0, 4)) != "TEL:") return text;
  std::vector<std::string> parts = components(text.substr(4), ';', true);
  auto digitsOf = [](std::string_view s) {
    std::string out;
    for (char c : s) {
      if (c != '-' && c != '.' && c != '(' && c != ')' && c != ' ') out.push_back(c);
    }
    return out;
  };
  std::string number = digitsOf(parts[0]);
  for (size_t i = 1; i < parts.size(); ++i) {
    if (asciiUpper(parts[i].substr(0, 4)) == "EXT=") number += "," + digitsOf(parts[i].substr(4));
  }
  return number;
}

struct Phone {
  PhoneKind kind;
  bool preferred;
  std::string number;
};

// Typed numbers take their own slot first; the others only fill what is left.
void placePhones(std::vector<Phone> phones, platform::Contact& c) {
  std::stable_sort(phones.begin(), phones.end(),
                   [](const Phone& a, const Phone& b) { return a.preferred && !b.preferred; });
  auto slotOf = [&](PhoneKind k) -> std::string& {
    return k == PhoneKind::kMobile ? c.mobilePhone : k == PhoneKind::kHome ? c.homePhone : c.businessPhone;
  };
  for (const Phone& p : phones) {
    if (p.kind != PhoneKind::kAny && p.kind != PhoneKind::kNone && slotOf(p.kind).empty()) slotOf(p.kind) = p.number;
  }
  for (const Phone& p : phones) {
    if (p.kind != PhoneKind::kAny) continue;
    for (PhoneKind k : {PhoneKind::kMobile, PhoneKind::kHome, PhoneKind::kBusiness}) {
      if (slotOf(k).empty()) {
        slotOf(k) = p.number;
        break;
      }
    }
  }
}

// "_$!<Anniversary>!$_", the label one desktop address book gives its own date kinds.
bool isAnniversaryLabel(std::string label) {
  label = asciiUpper(trimBlanks(label));
  if (label.size() > 8 && label.substr(0, 4) == "_$!<" && label.substr(label.size() - 4) == ">!$_") {
    label = label.substr(4, label.size() - 8);
  }
  return label == "ANNIVERSARY";
}

bool isAnniversary(const ContentLine& cl, const std::map<std::string, std::string>& labels) {
  const std::string& n = cl.name;
  if (n == "ANNIVERSARY" || n == "X-ANNIVERSARY" || n == "X-MS-ANNIVERSARY" || n == "X-EVOLUTION-ANNIVERSARY") {
    return true;
  }
  auto label = labels.find(cl.group);
  return n == "X-ABDATE" && !cl.group.empty() && label != labels.end() && isAnniversaryLabel(label->second);
}

std::string cardVersion(const std::vector<ContentLine>& lines) {
  std::string version = "2.1";  // 2.1 may leave it out; later versions may not
  for (const ContentLine& cl : lines) {
    if (cl.name != "VERSION") continue;
    version = trimBlanks(cl.value);
    if (version != "2.1" && version != "3.0" && version != "4.0") {
      fail(cl.line, "unsupported vCard version " + quotedForMessage(version));
    }
  }
  return version;
}

void splitFormattedName(const std::string& formatted, platform::Contact& c) {
  if (!c.firstName.empty() || !c.lastName.empty() || formatted.empty()) return;
  size_t space = formatted.rfind(' ');
  if (space == std::string::npos) {
    c.firstName = formatted;
  } else {
    c.firstName = trimBlanks(formatted.substr(0, space));
    c.lastName = formatted.substr(space + 1);
  }
}

platform::NewContact buildContact(const std::vector<ContentLine>& lines) {
  for (const ContentLine& cl : lines) {
    if (!cl.error.empty()) fail(cl.line, cl.error);
  }
  bool v21 = cardVersion(lines) == "2.1";
  std::map<std::string, std::string> labels;  // group -> X-ABLabel
  for (const ContentLine& cl : lines) {
    if (cl.name == "X-ABLABEL" && !cl.group.empty()) labels[cl.group] = decodedText(cl);
  }
  platform::NewContact out;
  platform::Contact& c = out.contact;
  std::string formatted;
  std::vector<std::string> categories;
  std::vector<Phone> phones;
  for (const ContentLine& cl : lines) {
    const std::string& n = cl.name;
    bool anniversary = isAnniversary(cl, labels);
    if (n == "PHOTO") {
      if (out.picture.empty()) out.picture = photoBytes(cl).value_or("");
      continue;
    }
    if (n != "N" && n != "FN" && n != "TEL" && n != "BDAY" && n != "CATEGORIES" && !anniversary) continue;
    std::string text = decodedText(cl);
    if (n == "N") {
      auto parts = components(text, ';', v21);
      c.lastName = trimBlanks(parts[0]);
      if (parts.size() > 1) c.firstName = trimBlanks(parts[1]);
    } else if (n == "FN") {
      formatted = trimBlanks(components(text, '\0', v21)[0]);
    } else if (n == "TEL") {
      std::string number = dialable(components(text, '\0', v21)[0]);
      if (!number.empty()) phones.push_back({phoneKind(cl), isPreferred(cl), number});
    } else if (n == "CATEGORIES") {
      for (std::string& cat : components(text, ',', v21)) {
        if (!trimBlanks(cat).empty()) categories.push_back(trimBlanks(cat));
      }
    } else if (!cl.hasParam("VALUE", "TEXT")) {  // a date in words ("circa 1800") has no day to keep
      auto& slot = n == "BDAY" ? c.birthday : c.anniversary;
      if (!slot) slot = parseCardDate(cl, trimBlanks(text));
    }
  }
  placePhones(std::move(phones), c);
  splitFormattedName(formatted, c);
  for (size_t i = 0; i < categories.size(); ++i) c.categories += (i ? ", " : "") + categories[i];
  return out;
}

bool isCardLine(const ContentLine& cl, const char* name) {
  return cl.error.empty() && cl.name == name && asciiUpper(trimBlanks(cl.value)) == "VCARD";
}

// The lines of one card, or of a stretch of stray lines between cards.
struct Card {
  int line = 0;
  std::vector<ContentLine> body;
  std::string error;  // a fault of the card's frame, "line N: ..."
  bool stray = false;
};

// A 2.1 AGENT with an empty value carries a whole card of its own on the next lines: the
// person's assistant, not a contact. Returns the index after its END:VCARD.
size_t skipAgentCard(const std::vector<ContentLine>& lines, size_t i) {
  int depth = 0;
  for (; i < lines.size(); ++i) {
    if (isCardLine(lines[i], "BEGIN")) ++depth;
    if (isCardLine(lines[i], "END") && --depth == 0) return i + 1;
  }
  return i;
}

std::vector<Card> frameCards(const std::vector<ContentLine>& lines) {
  std::vector<Card> cards;
  size_t i = 0;
  while (i < lines.size()) {
    Card card;
    card.line = lines[i].line;
    if (!isCardLine(lines[i], "BEGIN")) {
      card.stray = true;
      card.error = "line " + std::to_string(card.line) + ": expected BEGIN:VCARD, found " +
                   quotedForMessage(lines[i].error.empty() ? lines[i].name : lines[i].value);
      while (i < lines.size() && !isCardLine(lines[i], "BEGIN")) ++i;
      cards.push_back(std::move(card));
      continue;
    }
    ++i;
    card.error = "line " + std::to_string(card.line) + ": BEGIN:VCARD without END:VCARD";
    while (i < lines.size()) {
      const ContentLine& cl = lines[i];
      if (isCardLine(cl, "END")) {
        card.error.clear();
        ++i;
        break;
      }
      if (isCardLine(cl, "BEGIN")) {
        bool agent = !card.body.empty() && card.body.back().name == "AGENT" && trimBlanks(card.body.back().value).empty();
        if (agent) {
          i = skipAgentCard(lines, i);
          continue;
        }
        card.error = "line " + std::to_string(cl.line) + ": BEGIN:VCARD inside the card of line " +
                     std::to_string(card.line) + " (is its END:VCARD missing?)";
        break;  // the next card starts here
      }
      card.body.push_back(cl);
      ++i;
    }
    cards.push_back(std::move(card));
  }
  return cards;
}

VCardImport readCards(const std::vector<ContentLine>& lines, bool skipBad) {
  std::vector<Card> cards = frameCards(lines);
  if (std::all_of(cards.begin(), cards.end(), [](const Card& c) { return c.stray; })) {
    throw CardError{"no vCard in the file (expected BEGIN:VCARD)"};
  }
  VCardImport out;
  for (const Card& card : cards) {
    try {
      if (!card.error.empty()) throw CardError{card.error};
      out.contacts.push_back(buildContact(card.body));
    } catch (const CardError& e) {
      if (!skipBad) throw;
      out.skipped.push_back(e.message);
    }
  }
  return out;
}

}  // namespace

platform::Result<VCardImport> parseVCards(std::string_view bytes, bool skipBad) {
  auto text = textOfExport(bytes);
  if (!text.ok()) return text.status();
  if (size_t nul = text->find('\0'); nul != std::string::npos) {
    size_t line = splitLines(std::string_view(*text).substr(0, nul + 1)).size();
    return Status::Invalid("line " + std::to_string(line) + ": NUL character in the text");
  }
  try {
    return readCards(readContentLines(*text), skipBad);
  } catch (const CardError& e) {
    return Status::Invalid(e.message);
  }
}

}  // namespace zelko::device
