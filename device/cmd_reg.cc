// reg get|set|del|dump|import|export, and notifications.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "device/cli.h"
#include "device/import_text.h"
#include "platform/sim/bounded_read.h"
#include "device/reg_file.h"
#include "device/reg_import.h"
#include "platform/date_time.h"
#include "platform/text.h"

namespace zelko::device {
namespace {

using platform::RegValue;
using platform::Root;
using platform::Status;
using platform::ValueType;

const char kRegUsage[] =
    "usage: zelko-device reg get ROOT KEY NAME\n"
    "       zelko-device reg set ROOT KEY NAME (--text T | --dword N | --binary HEX |\n"
    "                                           --filetime 'YYYY-MM-DD HH:MM[:SS]')\n"
    "       zelko-device reg del ROOT KEY [NAME]\n"
    "       zelko-device reg dump [ROOT [KEY]]\n"
    "       zelko-device reg import FILE.reg\n"
    "       zelko-device reg export ROOT KEY FILE.reg\n"
    "\n"
    "ROOT is HKLM, HKCU or their long names; KEY uses backslashes.\n"
    "get prints a text as it is (a multi-string one string a line), a DWORD in decimal,\n"
    "binary data in hex; it exits 1 when the value is missing. set goes through the\n"
    "notifying setter, so watchers hear of it; --filetime stores the 8-byte file time of\n"
    "that moment, as the phone keeps times.\n"
    "del removes a value, or a key with everything below it.\n"
    "dump prints ROOT\\KEY<TAB>NAME<TAB>TYPE<TAB>DATA, one value a line (tabs and line\n"
    "breaks in key names, value names and texts written as \\t, \\n, \\r; the strings of\n"
    "a REG_MULTI_SZ joined by \\0).\n"
    "A key name holds at most 255 characters, a key path at most 512 levels.\n"
    "import and export read and write .reg files (REGEDIT4 or version 5.00; REG_SZ,\n"
    "REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ). An import is one transaction: a\n"
    "file with an error, a full disk or a kill changes nothing.\n";

Root parseRootArg(const std::string& text) {
  auto root = platform::parseRoot(text);
  if (!root) throw UsageError("unknown root " + shortened(text) + " (expected HKLM or HKCU)");
  return *root;
}

std::vector<uint8_t> parseHex(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == ':') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) throw UsageError("bad hex data " + shortened(text));
    digits.push_back(c);
  }
  if (digits.size() % 2) throw UsageError("bad hex data " + shortened(text) + " (odd number of digits)");
  std::vector<uint8_t> out;
  for (size_t i = 0; i < digits.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

const char* typeName(ValueType t) {
  switch (t) {
    case ValueType::kDword: return "REG_DWORD";
    case ValueType::kBinary: return "REG_BINARY";
    case ValueType::kExpandString: return "REG_EXPAND_SZ";
    case ValueType::kMultiString: return "REG_MULTI_SZ";
    default: return "REG_SZ";
  }
}

std::string dataText(const RegValue& v) {
  switch (v.type) {
    case ValueType::kDword: return std::to_string(v.dword);
    case ValueType::kBinary: return hexText(v.bytes);
    case ValueType::kMultiString: {
      std::string out;  // for get: one string a line
      for (const std::string& s : v.strings) out.append(out.empty() ? "" : "\n").append(s);
      return out;
    }
    default: return v.text;
  }
}

// The data as one dump field; the strings of a multi-string joined by "\0", as the
// desktop tools show them.
std::string dumpedData(const RegValue& v) {
  if (v.type != ValueType::kMultiString) return escapeText(dataText(v));
  std::string out;
  for (size_t i = 0; i < v.strings.size(); ++i) out.append(i ? "\\0" : "").append(escapeText(v.strings[i]));
  return out;
}

RegValue valueFromOptions(Args& args) {
  std::vector<RegValue> given;
  if (auto t = args.option("--text")) {
    // Stored as it came, such a text would come back altered from an export and import.
    if (!platform::isValidUtf8(*t)) throw UsageError("the --text value is not valid UTF-8");
    given.push_back(RegValue::Text(*t));
  }
  if (auto d = args.option("--dword")) {
    given.push_back(RegValue::Dword(static_cast<uint32_t>(parseNumber(*d, "DWORD", UINT32_MAX))));
  }
  if (auto b = args.option("--binary")) given.push_back(RegValue::Binary(parseHex(*b)));
  if (auto f = args.option("--filetime")) {
    auto t = platform::parseIsoDateTime(*f);
    if (!t) throw UsageError("bad time " + shortened(*f) + " (expected YYYY-MM-DD HH:MM[:SS])");
    // A file time counts from 1601: an earlier moment has none.
    if (t->year < 1601) throw UsageError("--filetime " + shortened(*f) + " is before 1601");
    platform::FileTime ft = platform::toFileTime(*t);
    std::vector<uint8_t> bytes(8);
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(ft >> (8 * i));
    given.push_back(RegValue::Binary(bytes));
  }
  if (given.size() != 1) throw UsageError("give exactly one of --text, --dword, --binary, --filetime");
  return given.front();
}

// Key and value names are escaped like the data: a name holding a tab or a line break
// must not pass for more fields or another line.
void dumpKey(platform::Registry& reg, Root root, const std::string& key) {
  std::string keyText = escapeText(key);
  for (const auto& v : reg.values(root, key)) {
    std::printf("%s\\%s\t%s\t%s\t%s\n", platform::rootShortName(root), keyText.c_str(),
                escapeText(v.name).c_str(), typeName(v.value.type), dumpedData(v.value).c_str());
  }
  for (const auto& sub : reg.subKeys(root, key)) dumpKey(reg, root, key.empty() ? sub : key + "\\" + sub);
}

int regGet(Context& ctx, Args& args) {
  Root root = parseRootArg(args.next("ROOT"));
  std::string key = args.next("KEY"), name = args.next("NAME");
  args.done();
  auto value = ctx.platform().registry().getValue(root, key, name);
  if (value.status().code() == platform::Status::Code::kNotFound) return 1;
  check(value.status());
  std::printf("%s\n", dataText(*value).c_str());
  return 0;
}

int regSet(Context& ctx, Args& args) {
  RegValue value = valueFromOptions(args);
  Root root = parseRootArg(args.next("ROOT"));
  std::string key = args.next("KEY"), name = args.next("NAME");
  args.done();
  check(ctx.platform().registry().setValue(root, key, name, value));
  return 0;
}

int regDel(Context& ctx, Args& args) {
  Root root = parseRootArg(args.next("ROOT"));
  std::string key = args.next("KEY");
  auto name = args.nextOptional();
  args.done();
  auto& reg = ctx.platform().registry();
  check(name ? reg.deleteValue(root, key, *name) : reg.deleteKey(root, key));
  return 0;
}

int regDump(Context& ctx, Args& args) {
  auto rootText = args.nextOptional();
  auto key = args.nextOptional();
  args.done();
  auto& reg = ctx.platform().registry();
  if (!rootText) {
    dumpKey(reg, Root::kLocalMachine, "");
    dumpKey(reg, Root::kCurrentUser, "");
    return 0;
  }
  Root root = parseRootArg(*rootText);
  if (key && !reg.keyExists(root, *key)) throw Failure("no key " + shortened(*key));
  dumpKey(reg, root, key.value_or(""));
  return 0;
}

int regImport(Context& ctx, Args& args) {
  std::string file = args.next("FILE.reg");
  args.done();
  auto bytes = platform::sim::readBoundedFile(file, kMaxRegFileBytes, file);
  if (!bytes.ok()) throw Failure(bytes.status().message());
  auto ops = parseRegFile(*bytes);
  if (!ops.ok()) throw Failure(file + ": " + ops.status().message());
  // One transaction: a refused change, a full disk or a kill leaves the registry as it was.
  platform::Registry& reg = ctx.platform().registry();
  Status s = ctx.device().registryTransaction([&] { return applyRegOperations(reg, *ops); });
  if (!s.ok()) throw Failure(file + ": " + s.message() + "; nothing was changed");
  return 0;
}

void collectKeys(platform::Registry& reg, Root root, const std::string& key,
                 std::vector<RegKeyDump>& out) {
  out.push_back({root, key, reg.values(root, key)});
  for (const auto& sub : reg.subKeys(root, key)) {
    collectKeys(reg, root, key.empty() ? sub : key + "\\" + sub, out);
  }
}

int regExport(Context& ctx, Args& args) {
  Root root = parseRootArg(args.next("ROOT"));
  std::string key = args.next("KEY"), file = args.next("FILE.reg");
  args.done();
  auto& reg = ctx.platform().registry();
  if (!reg.keyExists(root, key)) throw Failure("no key " + shortened(key));
  std::vector<RegKeyDump> keys;
  collectKeys(reg, root, key, keys);
  std::string text = writeRegFile(keys);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out.write(text.data(), static_cast<std::streamsize>(text.size()))) {
    throw Failure("cannot write " + file);
  }
  return 0;
}

int reg(Context& ctx, Args& args) {
  std::string sub = args.next("reg command (get, set, del, dump, import, export)");
  if (sub == "get") return regGet(ctx, args);
  if (sub == "set") return regSet(ctx, args);
  if (sub == "del") return regDel(ctx, args);
  if (sub == "dump") return regDump(ctx, args);
  if (sub == "import") return regImport(ctx, args);
  if (sub == "export") return regExport(ctx, args);
  throw UsageError("unknown reg command " + shortened(sub));
}

const char kNotificationsUsage[] =
    "usage: zelko-device notifications\n"
    "\n"
    "Lists the persistent launch notifications: NAME<TAB>ROOT\\KEY<TAB>VALUE<TAB>PROGRAM PARAMS.\n";

int notifications(Context& ctx, Args& args) {
  args.done();
  for (const auto& l : ctx.platform().notifications().launches()) {
    std::string command = l.program + (l.params.empty() ? "" : " " + l.params);
    std::printf("%s\t%s\\%s\t%s\t%s\n", l.name.c_str(), platform::rootShortName(l.value.root),
                l.value.key.c_str(), l.value.name.c_str(), command.c_str());
  }
  return 0;
}

}  // namespace

const Command kRegCommands[] = {
    {"reg", "read and change the registry", kRegUsage, reg},
    {"notifications", "list the persistent launch notifications", kNotificationsUsage, notifications},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
