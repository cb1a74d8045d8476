#include "platform/sim/restriction.h"

#include <cctype>

#include "platform/text.h"

namespace zelko::platform::sim {

enum class Restriction::Prop : uint8_t {
  kFirstName, kLastName, kMobile, kHome, kBusiness, kBirthday, kAnniversary, kCategories,
  kSubject, kLocation, kStart, kEnd, kAllDay, kIsRecurring, kDuration,
};

namespace {

enum class Kind { kText, kPhone, kDate, kNumber };

struct PropInfo {
  const char* name;
  int prop;
  Kind kind;
};

// The property names are the phone store's own; callers spell them in any case.
constexpr PropInfo kProps[] = {
    {"FirstName", 0, Kind::kText},
    {"LastName", 1, Kind::kText},
    {"MobileTelephoneNumber", 2, Kind::kPhone},
    {"HomeTelephoneNumber", 3, Kind::kPhone},
    {"BusinessTelephoneNumber", 4, Kind::kPhone},
    {"Birthday", 5, Kind::kDate},
    {"Anniversary", 6, Kind::kDate},
    {"Categories", 7, Kind::kText},
    {"Subject", 8, Kind::kText},
    {"Location", 9, Kind::kText},
    {"Start", 10, Kind::kDate},
    {"End", 11, Kind::kDate},
    {"AllDayEvent", 12, Kind::kNumber},
    {"IsRecurring", 13, Kind::kNumber},
    {"Duration", 14, Kind::kNumber},
};

const PropInfo* findProp(std::string_view name) {
  for (const PropInfo& p : kProps) {
    std::string_view n = p.name;
    if (n.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(n[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    }
    if (same) return &p;
  }
  return nullptr;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads between `min` and `max` digits at `pos`.
std::optional<int> readNumber(std::string_view text, size_t& pos, size_t min, size_t max) {
  size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < max && isDigit(text[pos])) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos - start < min) return std::nullopt;
  return value;
}

template <typename T>
bool applyOp(int op, const T& a, const T& b) {
  switch (op) {
    case 0: return a == b;
    case 1: return a != b;
    case 2: return a < b;
    case 3: return a <= b;
    case 4: return a > b;
    default: return a >= b;
  }
}

}  // namespace

std::optional<DateTime> parseDateWithPicture(std::string_view picture, std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int year = -1, month = -1, day = -1;
  size_t pos = 0;
  for (size_t i = 0; i < picture.size();) {
    char c = picture[i];
    if (c == '\'') {  // quoted text must be there as written; '' is one quote
      ++i;
      std::string literal;
      while (i < picture.size()) {
        if (picture[i] == '\'') {
          if (i + 1 < picture.size() && picture[i + 1] == '\'') {
            literal += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        literal += picture[i++];
      }
      if (text.substr(pos, literal.size()) != literal) return std::nullopt;
      pos += literal.size();
      continue;
    }
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    std::optional<int> n;
    if (c == 'd' || c == 'M') {
      if (run > 2) return std::nullopt;  // day and month names are not read
      n = readNumber(text, pos, 1, 2);
      (c == 'd' ? day : month) = n.value_or(-1);
    } else if (c == 'y') {
      size_t start = pos;
      n = readNumber(text, pos, run > 2 ? 4 : 2, 4);
      if (n && run <= 2 && pos - start == 2) *n += *n < 30 ? 2000 : 1900;
      if (n && pos - start == 3) n.reset();
      year = n.value_or(-1);
    } else if (c == 'g') {
      return std::nullopt;
    } else {
      if (text.substr(pos, run) != picture.substr(i, run)) return std::nullopt;
      n = 0;
      pos += run;
    }
    if (!n) return std::nullopt;
    i += run;
  }
  if (pos != text.size() || year < 1 || month < 1 || day < 1) return std::nullopt;
  DateTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  if (!normalizeDateTime(t)) return std::nullopt;
  return t;
}

int64_t dayNumber(const DateTime& t) {
  int64_t ms = toEpochMs(t);
  return ms >= 0 ? ms / 86400000 : -((-ms + 86400000 - 1) / 86400000);
}

// Recursive descent over the text; AND binds tighter than OR. Nesting is bounded by the
// length limit, so the recursion is too.
class Restriction::Parser {
 public:
  Parser(std::string_view text, std::string_view picture, Restriction& out)
      : s_(text), picture_(picture), out_(out) {}

  Status run() {
    skipBlanks();
    if (pos_ == s_.size()) return Status::Ok();
    int root = parseOr();
    if (root < 0) return Status::Invalid(error_);
    skipBlanks();
    if (pos_ != s_.size()) return fail("unexpected text at " + std::to_string(pos_ + 1));
    out_.root_ = root;
    return Status::Ok();
  }

 private:
  // The first error found is the one reported.
  void note(std::string why) {
    if (error_.empty()) error_ = std::move(why);
  }
  Status fail(std::string why) {
    note(std::move(why));
    return Status::Invalid(error_);
  }
  int failNode(std::string why) {
    note(std::move(why));
    return -1;
  }

  void skipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' ||
                                s_[pos_] == '\n')) {
      ++pos_;
    }
  }

  // A keyword must stand alone: "ANDY" is not AND followed by Y.
  bool keyword(std::string_view word) {
    skipBlanks();
    if (s_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      if (std::toupper(static_cast<unsigned char>(s_[pos_ + i])) != word[i]) return false;
    }
    size_t after = pos_ + word.size();
    if (after < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[after])) || s_[after] == '_')) {
      return false;
    }
    pos_ = after;
    return true;
  }

  int join(Node::Kind kind, int left, int right) {
    Node n{};
    n.kind = kind;
    n.left = left;
    n.right = right;
    out_.nodes_.push_back(std::move(n));
    return static_cast<int>(out_.nodes_.size()) - 1;
  }

  int parseOr() {
    int left = parseAnd();
    while (left >= 0 && keyword("OR")) {
      int right = parseAnd();
      if (right < 0) return -1;
      left = join(Node::kOr, left, right);
    }
    return left;
  }

  int parseAnd() {
    int left = parsePrimary();
    while (left >= 0 && keyword("AND")) {
      int right = parsePrimary();
      if (right < 0) return -1;
      left = join(Node::kAnd, left, right);
    }
    return left;
  }

  int parsePrimary() {
    skipBlanks();
    if (pos_ == s_.size()) return failNode("the restriction ends too early");
    if (s_[pos_] == '(') {
      ++pos_;
      int inner = parseOr();
      if (inner < 0) return -1;
      skipBlanks();
      if (pos_ == s_.size() || s_[pos_] != ')') return failNode("a parenthesis is not closed");
      ++pos_;
      return inner;
    }
    if (s_[pos_] != '[') return failNode("expected [Property] at " + std::to_string(pos_ + 1));
    return parseComparison();
  }

  std::optional<Op> parseOp() {
    skipBlanks();
    auto rest = s_.substr(pos_);
    struct { std::string_view text; Op op; } const ops[] = {
        {"<>", Op::kNe}, {"<=", Op::kLe}, {">=", Op::kGe},
        {"=", Op::kEq},  {"<", Op::kLt},  {">", Op::kGt},
    };
    for (const auto& o : ops) {
      if (rest.substr(0, o.text.size()) == o.text) {
        pos_ += o.text.size();
        return o.op;
      }
    }
    return std::nullopt;
  }

  // A quoted text ("" inside stands for one quote) or an integer.
  std::optional<std::string> parseConstant(bool& quoted) {
    skipBlanks();
    std::string value;
    if (pos_ < s_.size() && s_[pos_] == '"') {
      quoted = true;
      for (++pos_; pos_ < s_.size(); ++pos_) {
        if (s_[pos_] != '"') {
          value += s_[pos_];
        } else if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '"') {
          value += '"';
          ++pos_;
        } else {
          ++pos_;
          return value;
        }
      }
      return std::nullopt;
    }
    quoted = false;
    if (pos_ < s_.size() && s_[pos_] == '-') value += s_[pos_++];
    while (pos_ < s_.size() && isDigit(s_[pos_])) value += s_[pos_++];
    if (value.empty() || value == "-") return std::nullopt;
    return value;
  }

  int parseComparison() {
    size_t close = s_.find(']', pos_);
    if (close == std::string_view::npos) return failNode("a [ is not closed");
    std::string_view name = s_.substr(pos_ + 1, close - pos_ - 1);
    const PropInfo* info = findProp(name);
    if (!info) return failNode("unknown property [" + std::string(name) + "]");
    pos_ = close + 1;
    auto op = parseOp();
    if (!op) return failNode("expected an operator after [" + std::string(name) + "]");
    bool quoted = false;
    auto constant = parseConstant(quoted);
    if (!constant) return failNode("expected a constant after [" + std::string(name) + "]");
    Node n{};
    n.kind = Node::kCompare;
    n.prop = static_cast<Prop>(info->prop);
    n.op = *op;
    switch (info->kind) {
      case Kind::kText: n.text = foldCase(*constant); break;
      case Kind::kPhone: n.text = phoneKey(*constant); break;
      case Kind::kDate: {
        auto d = quoted ? parseDateWithPicture(picture_, *constant) : std::nullopt;
        if (!d && quoted) d = parseDateWithPicture("MM/dd/yyyy", *constant);
        if (!d) return failNode("[" + std::string(name) + "] needs a date, not " + *constant);
        n.number = dayNumber(*d);
        break;
      }
      case Kind::kNumber: {
        const std::string& c = *constant;
        size_t digits = c.size() - (c[0] == '-' ? 1 : 0);
        bool numeric = digits > 0 && digits <= 9 && c.find_first_not_of("0123456789", c[0] == '-') == std::string::npos;
        if (!numeric) return failNode("[" + std::string(name) + "] needs a number, not " + c);
        n.number = std::stoll(c);
        break;
      }
    }
    out_.nodes_.push_back(std::move(n));
    return static_cast<int>(out_.nodes_.size()) - 1;
  }

  std::string_view s_;
  std::string_view picture_;
  Restriction& out_;
  size_t pos_ = 0;
  std::string error_;
};

Result<Restriction> Restriction::parse(std::string_view text, std::string_view shortDatePicture) {
  if (utf16Length(text) > kMaxRestrictionLength) {
    return Status::Invalid("a restriction holds at most 255 characters");
  }
  Restriction r;
  Status s = Parser(text, shortDatePicture, r).run();
  if (!s.ok()) return s;
  return r;
}

template <typename ItemT>
bool Restriction::eval(int node, const ItemT& item) const {
  const Node& n = nodes_[static_cast<size_t>(node)];
  switch (n.kind) {
    case Node::kAnd: return eval(n.left, item) && eval(n.right, item);
    case Node::kOr: return eval(n.left, item) || eval(n.right, item);
    default: return compare(n, item);
  }
}

bool Restriction::matches(const Contact& contact) const {
  return root_ < 0 || eval(root_, contact);
}

bool Restriction::matches(const Appointment& appointment) const {
  return root_ < 0 || eval(root_, appointment);
}

namespace {

bool compareText(int op, std::string_view value, const std::string& folded) {
  return !value.empty() && applyOp(op, foldCase(value), folded);
}

bool comparePhone(int op, std::string_view value, const std::string& key) {
  return !value.empty() && applyOp(op, phoneKey(value), key);
}

bool compareDay(int op, const std::optional<DateTime>& value, int64_t day) {
  return value && applyOp(op, dayNumber(*value), day);
}

}  // namespace

bool Restriction::compare(const Node& n, const Contact& c) const {
  int op = static_cast<int>(n.op);
  switch (n.prop) {
    case Prop::kFirstName: return compareText(op, c.firstName, n.text);
    case Prop::kLastName: return compareText(op, c.lastName, n.text);
    case Prop::kMobile: return comparePhone(op, c.mobilePhone, n.text);
    case Prop::kHome: return comparePhone(op, c.homePhone, n.text);
    case Prop::kBusiness: return comparePhone(op, c.businessPhone, n.text);
    case Prop::kBirthday: return compareDay(op, c.birthday, n.number);
    case Prop::kAnniversary: return compareDay(op, c.anniversary, n.number);
    case Prop::kCategories: return compareText(op, c.categories, n.text);
    default: return false;  // an appointment property: contacts lack it
  }
}

bool Restriction::compare(const Node& n, const Appointment& a) const {
  int op = static_cast<int>(n.op);
  switch (n.prop) {
    case Prop::kSubject: return compareText(op, a.subject, n.text);
    case Prop::kLocation: return compareText(op, a.location, n.text);
    case Prop::kCategories: return compareText(op, a.categories, n.text);
    case Prop::kStart: return compareDay(op, a.start, n.number);
    case Prop::kEnd: return compareDay(op, a.end, n.number);
    case Prop::kAllDay: return applyOp<int64_t>(op, a.allDay ? 1 : 0, n.number);
    case Prop::kIsRecurring: return applyOp<int64_t>(op, a.recurring ? 1 : 0, n.number);
    case Prop::kDuration: return applyOp<int64_t>(op, a.durationMinutes, n.number);
    default: return false;
  }
}

}  // namespace zelko::platform::sim
