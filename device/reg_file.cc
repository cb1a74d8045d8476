#include "device/reg_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>

#include "device/import_text.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::Result;
using platform::Root;
using platform::Status;

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
// The desktop editor wraps hex lists so that no line, backslash included, passes 80.
constexpr size_t kMaxLineWidth = 80;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// Drops empty components so that "\a\\b\" and "a\b" name the same key, as the registry does.
std::string normalizeKey(std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

const char* unsupportedTypeName(uint32_t type) {
  switch (type) {
    case 0: return "none";
    case 5: return "big-endian dword";
    case 6: return "link";
    case 8: return "resource list";
    case 9: return "resource descriptor";
    case 10: return "resource requirements list";
    case 11: return "qword";
    default: return nullptr;
  }
}

struct Failure {
  int line;
  std::string what;
};

class Parser {
 public:
  Parser(std::vector<std::string_view> lines, std::vector<RegOperation>* ops)
      : lines_(std::move(lines)), ops_(ops) {}

  std::optional<Failure> run() {
    size_t i = 0;
    while (i < lines_.size() && trim(lines_[i]).empty()) ++i;
    if (i == lines_.size()) {
      return Failure{1, "the file is empty; expected the header \"" + std::string(kHeader5) +
                            "\" or \"" + std::string(kHeader4) + "\""};
    }
    const std::string_view header = trim(lines_[i]);
    if (header == kHeader5) {
      unicode_ = true;
    } else if (header == kHeader4) {
      unicode_ = false;
    } else {
      return Failure{lineNumber(i), "expected the header \"" + std::string(kHeader5) +
                                        "\" or \"" + std::string(kHeader4) + "\""};
    }
    for (++i; i < lines_.size(); ++i) {
      if (std::string fault = utf8Fault(lines_[i]); !fault.empty()) return Failure{lineNumber(i), fault};
      const std::string_view text = trim(lines_[i]);
      if (text.empty() || text.front() == ';') continue;
      std::optional<Failure> failure;
      if (text.front() == '[') {
        failure = keyLine(text, lineNumber(i));
      } else if (text.front() == '"' || text.front() == '@') {
        failure = valueLine(text, &i);
      } else {
        failure = Failure{lineNumber(i),
                          "expected [key], \"name\"=value, @=value or a ; comment, got " +
                              quotedForMessage(text)};
      }
      if (failure) return failure;
    }
    return std::nullopt;
  }

 private:
  static int lineNumber(size_t index) {
    // Beyond INT_MAX lines the number only labels messages; saturate instead of wrapping.
    return index >= static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int>(index + 1);
  }

  std::optional<Failure> keyLine(std::string_view text, int line) {
    // Key names may hold "]", so the header ends at the last one.
    const size_t close = text.rfind(']');
    if (close == std::string_view::npos) return Failure{line, "missing ] at the end of the key"};
    if (close + 1 != text.size()) {
      return Failure{line, "unexpected text after ]: " + quotedForMessage(text.substr(close + 1))};
    }
    std::string_view inner = text.substr(1, close - 1);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const size_t slash = inner.find('\\');
    const std::string_view rootText = trim(inner.substr(0, slash));
    const std::string_view path =
        slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
    if (rootText.empty()) return Failure{line, "missing root before the key path"};
    const std::optional<Root> root = platform::parseRoot(rootText);
    if (!root) {
      return Failure{line, "unknown root " + quotedForMessage(rootText) +
                               ", expected HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER"};
    }
    std::string key = normalizeKey(path);
    if (remove && key.empty()) return Failure{line, "a root itself cannot be deleted"};

    RegOperation op;
    op.kind = remove ? RegOperation::Kind::kDeleteKey : RegOperation::Kind::kCreateKey;
    op.root = *root;
    op.key = key;
    op.line = line;
    ops_->push_back(std::move(op));
    haveKey_ = true;
    keyDeleted_ = remove;
    root_ = *root;
    key_ = std::move(key);
    return std::nullopt;
  }

  // Reads a quoted string starting at text[*pos] == '"'. Only \\ and \" are escapes; any
  // other backslash stays, since file paths in values are full of them.
  static bool readQuoted(std::string_view text, size_t* pos, std::string* out) {
    size_t p = *pos + 1;
    while (p < text.size()) {
      const char c = text[p];
      if (c == '"') {
        *pos = p + 1;
        return true;
      }
      if (c == '\\' && p + 1 < text.size() && (text[p + 1] == '\\' || text[p + 1] == '"')) {
        out->push_back(text[p + 1]);
        p += 2;
        continue;
      }
      out->push_back(c);
      ++p;
    }
    return false;
  }

  // *index is the line of the value; a continued hex list moves it to the list's last line.
  std::optional<Failure> valueLine(std::string_view text, size_t* index) {
    const int line = lineNumber(*index);
    if (!haveKey_) return Failure{line, "value before any [key] line"};
    if (keyDeleted_) return Failure{line, "value under a key that is being deleted"};

    size_t p = 0;
    std::string name;
    if (text.front() == '@') {
      p = 1;
    } else if (!readQuoted(text, &p, &name)) {
      return Failure{line, "missing closing \" after the value name"};
    }
    while (p < text.size() && isBlank(text[p])) ++p;
    if (p == text.size() || text[p] != '=') return Failure{line, "expected = after the value name"};
    ++p;
    while (p < text.size() && isBlank(text[p])) ++p;
    const std::string_view data = text.substr(p);

    RegOperation op;
    op.kind = RegOperation::Kind::kSetValue;
    op.root = root_;
    op.key = key_;
    op.name = std::move(name);
    op.line = line;

    if (data.empty()) return Failure{line, "missing data after ="};
    if (data.front() == '"') {
      size_t q = 0;
      std::string value;
      if (!readQuoted(data, &q, &value)) return Failure{line, "missing closing \" after the text"};
      if (q != data.size()) {
        return Failure{line, "unexpected text after the closing \": " + quotedForMessage(data.substr(q))};
      }
      op.value = RegValue::Text(std::move(value));
    } else if (data == "-") {
      op.kind = RegOperation::Kind::kDeleteValue;
    } else if (startsWithNoCase(data, "dword:")) {
      // Leading zeros past the eighth digit change nothing; scripts written by hand have them.
      std::string_view digits = data.substr(6);
      while (digits.size() > 8 && digits.front() == '0') digits.remove_prefix(1);
      if (digits.empty() || digits.size() > 8 ||
          !std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; })) {
        return Failure{line, "dword needs 1 to 8 hex digits, got " + quotedForMessage(digits)};
      }
      uint32_t v = 0;
      for (char c : digits) v = (v << 4) | static_cast<uint32_t>(hexDigit(c));
      op.value = RegValue::Dword(v);
    } else if (startsWithNoCase(data, "hex")) {
      auto failure = hexValue(data, index, &op.value);
      if (failure) return failure;
    } else {
      return Failure{line, "unknown data " + quotedForMessage(data) +
                               ", expected \"text\", dword:, hex:, hex(N): or -"};
    }
    ops_->push_back(std::move(op));
    return std::nullopt;
  }

  std::optional<Failure> hexValue(std::string_view data, size_t* index, RegValue* value) {
    const int line = lineNumber(*index);
    size_t p = 3;
    uint32_t type = 3;
    if (p < data.size() && data[p] == '(') {
      const size_t close = data.find(')', p);
      const std::string_view digits =
          close == std::string_view::npos ? std::string_view() : data.substr(p + 1, close - p - 1);
      if (digits.empty() || digits.size() > 8 ||
          !std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; })) {
        return Failure{line, "malformed value type, expected hex(N): with N in hex digits"};
      }
      type = 0;
      for (char c : digits) type = (type << 4) | static_cast<uint32_t>(hexDigit(c));
      p = close + 1;
    }
    if (p == data.size() || data[p] != ':') return Failure{line, "missing : after hex"};
    ++p;
    char typeText[16];
    std::snprintf(typeText, sizeof typeText, "hex(%x)", static_cast<unsigned>(type));
    if (type != 1 && type != 2 && type != 3 && type != 4 && type != 7) {
      if (const char* kind = unsupportedTypeName(type)) {
        return Failure{line, std::string(typeText) + " (" + kind + ") values are not supported"};
      }
      return Failure{line, "unknown value type " + std::string(typeText)};
    }

    std::vector<uint8_t> bytes;
    auto failure = readHexList(data.substr(p), index, &bytes);
    if (failure) return failure;

    switch (type) {
      case 3:
        *value = RegValue::Binary(std::move(bytes));
        return std::nullopt;
      case 4:
        if (bytes.size() != 4) {
          return Failure{line, "hex(4) needs exactly 4 bytes, got " + std::to_string(bytes.size())};
        }
        *value = RegValue::Dword(static_cast<uint32_t>(bytes[0]) |
                                 static_cast<uint32_t>(bytes[1]) << 8 |
                                 static_cast<uint32_t>(bytes[2]) << 16 |
                                 static_cast<uint32_t>(bytes[3]) << 24);
        return std::nullopt;
      default:
        return textValue(type, bytes, line, value);
    }
  }

  // Strings: the 5.00 editor stores UTF-16LE, the old one single bytes, each string
  // ended by a NUL (a multi-string by one more).
  std::optional<Failure> textValue(uint32_t type, const std::vector<uint8_t>& bytes, int line, RegValue* value) {
    const std::string typeText = "hex(" + std::to_string(type) + ")";
    std::string text(bytes.begin(), bytes.end());
    if (unicode_) {
      if (text.size() % 2 != 0) return Failure{line, typeText + " text has an odd number of UTF-16 bytes"};
      text = platform::utf16leToUtf8(text);
    } else if (std::string fault = utf8Fault(text); !fault.empty()) {
      return Failure{line, typeText + " text: " + fault};
    }
    if (type == 7) {
      // As the desktop editor, empty strings are dropped: the list could not hold them.
      std::vector<std::string> strings;
      for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\0', start), text.size());
        if (end > start) strings.push_back(text.substr(start, end - start));
        start = end + 1;
      }
      *value = RegValue::MultiText(std::move(strings));
      return std::nullopt;
    }
    if (!text.empty() && text.back() == '\0') text.pop_back();
    *value = type == 2 ? RegValue::ExpandText(std::move(text)) : RegValue::Text(std::move(text));
    return std::nullopt;
  }

  // Joins the list over lines ending in "\" and parses it, reporting any fault on the
  // line that holds it rather than on the first line of the value.
  std::optional<Failure> readHexList(std::string_view first, size_t* index,
                                     std::vector<uint8_t>* bytes) {
    std::string joined;
    std::vector<std::pair<size_t, int>> starts;  // offset in `joined` -> line number
    std::string_view piece = first;
    while (true) {
      starts.emplace_back(joined.size(), lineNumber(*index));
      if (piece.empty() || piece.back() != '\\') {
        joined.append(piece);
        break;
      }
      piece.remove_suffix(1);
      joined.append(piece);
      if (*index + 1 >= lines_.size()) {
        return Failure{lineNumber(*index), "the hex list continues past the end of the file"};
      }
      ++*index;
      if (std::string fault = utf8Fault(lines_[*index]); !fault.empty()) {
        return Failure{lineNumber(*index), fault};
      }
      piece = trim(lines_[*index]);
    }
    auto lineAt = [&](size_t offset) {
      auto it = std::upper_bound(starts.begin(), starts.end(), std::make_pair(offset, INT32_MAX));
      return std::prev(it)->second;
    };

    size_t q = 0;
    while (true) {
      while (q < joined.size() && isBlank(joined[q])) ++q;
      if (q == joined.size()) break;  // an empty list, or a trailing comma
      const size_t start = q;
      int v = 0;
      while (q < joined.size() && q - start < 3 && hexDigit(joined[q]) >= 0) {
        v = v * 16 + hexDigit(joined[q]);
        ++q;
      }
      if (q == start) {
        return Failure{lineAt(q), "expected a hex byte such as 0a, got " +
                                      quotedForMessage(std::string_view(joined).substr(q, 8))};
      }
      if (q - start > 2) return Failure{lineAt(start), "a hex byte has at most 2 digits"};
      bytes->push_back(static_cast<uint8_t>(v));
      while (q < joined.size() && isBlank(joined[q])) ++q;
      if (q == joined.size()) break;
      if (joined[q] != ',') {
        return Failure{lineAt(q), "expected , between hex bytes, got " +
                                      quotedForMessage(std::string_view(joined).substr(q, 8))};
      }
      ++q;
    }
    return std::nullopt;
  }

  std::vector<std::string_view> lines_;
  std::vector<RegOperation>* ops_;
  bool unicode_ = true;
  bool haveKey_ = false;
  bool keyDeleted_ = false;
  Root root_ = Root::kLocalMachine;
  std::string key_;
};

Status lineError(int line, std::string_view what) {
  return Status::Invalid("line " + std::to_string(line) + ": " + std::string(what));
}

// ---- writing ----

// Line width as the desktop editor counts it, in UTF-16 units.
size_t displayWidth(std::string_view s) {
  size_t n = 0;
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if ((u & 0xC0) != 0x80) n += u >= 0xF0 ? 2 : 1;
  }
  return n;
}

std::string withoutLineBreaks(std::string_view s) {
  std::string out(s);
  std::replace(out.begin(), out.end(), '\r', ' ');
  std::replace(out.begin(), out.end(), '\n', ' ');
  return out;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

void appendHexList(std::string* out, std::string_view prefix, const uint8_t* data, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out->append(prefix);
  size_t width = displayWidth(prefix);
  for (size_t i = 0; i < size; ++i) {
    // Room for "xx," and the continuation backslash.
    if (width + 4 > kMaxLineWidth) {
      out->append("\\\r\n  ");
      width = 2;
    }
    out->push_back(kDigits[data[i] >> 4]);
    out->push_back(kDigits[data[i] & 0xF]);
    width += 2;
    if (i + 1 < size) {
      out->push_back(',');
      ++width;
    }
  }
  out->append("\r\n");
}

// Text as the UTF-16LE bytes the desktop editor writes for its string types.
void appendUnits(std::string* out, std::string_view prefix, std::string_view text) {
  std::string units = platform::utf8ToUtf16le(text);
  appendHexList(out, prefix, reinterpret_cast<const uint8_t*>(units.data()), units.size());
}

void appendValue(std::string* out, const platform::NamedValue& nv) {
  const std::string name = nv.name.empty() ? "@" : quoted(withoutLineBreaks(nv.name));
  const RegValue& v = nv.value;
  switch (v.type) {
    case platform::ValueType::kString:
      // A quoted string cannot span lines; text with line breaks goes as UTF-16 bytes.
      if (v.text.find_first_of("\r\n") == std::string::npos) {
        out->append(name + "=" + quoted(v.text) + "\r\n");
      } else {
        appendUnits(out, name + "=hex(1):", v.text + '\0');
      }
      return;
    case platform::ValueType::kDword: {
      char text[16];
      std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(v.dword));
      out->append(name + "=dword:" + text + "\r\n");
      return;
    }
    case platform::ValueType::kBinary:
      appendHexList(out, name + "=hex:", v.bytes.data(), v.bytes.size());
      return;
    case platform::ValueType::kExpandString:
      appendUnits(out, name + "=hex(2):", v.text + '\0');
      return;
    case platform::ValueType::kMultiString: {
      std::string list;
      for (const std::string& s : v.strings) list.append(s).push_back('\0');
      appendUnits(out, name + "=hex(7):", list + '\0');
      return;
    }
  }
  // A type this build does not know: keep its bytes under its number, so nothing is lost.
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "=hex(%x):", static_cast<unsigned>(v.type));
  appendHexList(out, name + prefix, v.bytes.data(), v.bytes.size());
}

}  // namespace

Result<std::vector<RegOperation>> parseRegFile(std::string_view bytes) {
  auto text = textOfExport(bytes);
  if (!text.ok()) return text.status();
  std::vector<RegOperation> ops;
  Parser parser(splitLines(*text), &ops);
  if (auto failure = parser.run()) return lineError(failure->line, failure->what);
  return ops;
}

std::string writeRegFile(const std::vector<RegKeyDump>& keys) {
  std::string out(kHeader5);
  out.append("\r\n\r\n");
  for (const RegKeyDump& dump : keys) {
    const std::string key = normalizeKey(withoutLineBreaks(dump.key));
    out.append("[").append(platform::rootLongName(dump.root));
    if (!key.empty()) out.append("\\").append(key);
    out.append("]\r\n");
    for (const platform::NamedValue& nv : dump.values) appendValue(&out, nv);
    out.append("\r\n");
  }
  return "\xFF\xFE" + platform::utf8ToUtf16le(out);
}

}  // namespace zelko::device
