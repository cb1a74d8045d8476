#include "platform/sim/sim_registry.h"

#include <algorithm>

#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

int rootId(Root r) { return r == Root::kLocalMachine ? 0 : 1; }

// A multi-string is kept as its strings, each ended by a NUL, as the phone keeps them.
std::string joinStrings(const std::vector<std::string>& strings) {
  std::string out;
  for (const std::string& s : strings) out.append(s).push_back('\0');
  return out;
}

std::vector<std::string> splitStrings(const std::string& data) {
  std::vector<std::string> out;
  for (size_t start = 0; start < data.size();) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (end > start) out.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// Binds a value's type and data to parameters `typeIndex` and `typeIndex + 1`.
void bindValue(Statement& s, int typeIndex, const RegValue& v) {
  s.bind(typeIndex, static_cast<int64_t>(v.type));
  switch (v.type) {
    case ValueType::kString:
    case ValueType::kExpandString: s.bind(typeIndex + 1, std::string_view(v.text)); break;
    case ValueType::kMultiString: s.bindBlob(typeIndex + 1, joinStrings(v.strings)); break;
    case ValueType::kDword: s.bind(typeIndex + 1, static_cast<int64_t>(v.dword)); break;
    case ValueType::kBinary:
      s.bindBlob(typeIndex + 1, std::string_view(reinterpret_cast<const char*>(v.bytes.data()),
                                                 v.bytes.size()));
      break;
  }
}

RegValue readValue(Statement& s, int typeCol) {
  RegValue v;
  v.type = static_cast<ValueType>(s.columnInt(typeCol));
  switch (v.type) {
    case ValueType::kDword: v.dword = static_cast<uint32_t>(s.columnInt(typeCol + 1)); break;
    case ValueType::kBinary: {
      std::string b = s.columnBlob(typeCol + 1);
      v.bytes.assign(b.begin(), b.end());
      break;
    }
    case ValueType::kMultiString: v.strings = splitStrings(s.columnBlob(typeCol + 1)); break;
    case ValueType::kExpandString: v.text = s.columnText(typeCol + 1); break;
    default: v.type = ValueType::kString; v.text = s.columnText(typeCol + 1); break;
  }
  return v;
}

// Keys below `fold` sort between fold + "\" and fold + "]" ("]" follows "\" in ASCII).
std::pair<std::string, std::string> descendantRange(const std::string& fold) {
  if (fold.empty()) return {"", "\xff"};
  return {fold + "\\", fold + "]"};
}

// The phone refuses a key name longer than this, and a path deeper than this.
constexpr size_t kMaxKeyNameUnits = 255;
constexpr size_t kMaxKeyLevels = 512;

// Invalid when a normalised key path is past the phone's limits.
Status checkKeyPath(std::string_view path) {
  size_t levels = 0;
  for (size_t i = 0; i < path.size();) {
    size_t j = path.find('\\', i);
    if (j == std::string_view::npos) j = path.size();
    if (utf16Length(path.substr(i, j - i)) > kMaxKeyNameUnits) {
      return Status::Invalid("a key name is longer than 255 characters");
    }
    if (++levels > kMaxKeyLevels) return Status::Invalid("the key path is deeper than 512 levels");
    i = j + 1;
  }
  return Status::Ok();
}

}  // namespace

std::string normalizeKey(std::string_view key) {
  std::string out;
  size_t i = 0;
  while (i < key.size()) {
    size_t j = key.find('\\', i);
    if (j == std::string_view::npos) j = key.size();
    if (j > i) {
      if (!out.empty()) out.push_back('\\');
      out.append(key.substr(i, j - i));
    }
    i = j + 1;
  }
  return out;
}

Status SimRegistry::createSchema(Database& db) {
  return db.exec(
      "CREATE TABLE IF NOT EXISTS keys(root INTEGER NOT NULL, fold TEXT NOT NULL,"
      " path TEXT NOT NULL, PRIMARY KEY(root, fold)) WITHOUT ROWID;"
      "CREATE TABLE IF NOT EXISTS vals(root INTEGER NOT NULL, keyfold TEXT NOT NULL,"
      " namefold TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL, data,"
      " PRIMARY KEY(root, keyfold, namefold)) WITHOUT ROWID;"
      "CREATE TABLE IF NOT EXISTS watches(id INTEGER PRIMARY KEY, root INTEGER NOT NULL,"
      " keyfold TEXT NOT NULL, namefold TEXT NOT NULL, address TEXT NOT NULL,"
      " cookie INTEGER NOT NULL);"
      "CREATE INDEX IF NOT EXISTS watches_value ON watches(root, keyfold, namefold);"
      "CREATE TABLE IF NOT EXISTS launches(namefold TEXT PRIMARY KEY, name TEXT NOT NULL,"
      " root INTEGER NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL, keyfold TEXT NOT NULL,"
      " valuefold TEXT NOT NULL, program TEXT NOT NULL, params TEXT NOT NULL);"
      "CREATE INDEX IF NOT EXISTS launches_value ON launches(root, keyfold, valuefold);");
}

bool SimRegistry::keyExists(Root root, std::string_view key) {
  std::string fold = foldCase(normalizeKey(key));
  if (fold.empty()) return true;
  auto guard = db_.lock();
  Statement& q = db_.prepare("SELECT 1 FROM keys WHERE root = ? AND fold = ?");
  q.bind(1, rootId(root)).bind(2, fold);
  bool found = q.step();
  q.reset();
  return found;
}

Status SimRegistry::ensureKey(int root, const std::string& path, const std::string& fold) {
  Statement& q = db_.prepare("SELECT 1 FROM keys WHERE root = ? AND fold = ?");
  q.bind(1, root).bind(2, fold);
  bool found = q.step();
  Status s = q.status();
  q.reset();
  if (!s.ok()) return s;
  if (found || path.empty()) return Status::Ok();
  // Create the key and each missing parent, keeping the case of the first creation.
  for (size_t end = 0; end != std::string::npos;) {
    end = path.find('\\', end + 1);
    size_t n = end == std::string::npos ? path.size() : end;
    Status s = db_.prepare("INSERT OR IGNORE INTO keys(root, fold, path) VALUES(?, ?, ?)")
                   .bind(1, root)
                   .bind(2, foldCase(path.substr(0, n)))
                   .bind(3, path.substr(0, n))
                   .run();
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

Status SimRegistry::createKey(Root root, std::string_view key) {
  std::string path = normalizeKey(key);
  if (Status s = checkKeyPath(path); !s.ok()) return s;
  return db_.write([&] { return ensureKey(rootId(root), path, foldCase(path)); });
}

Result<RegValue> SimRegistry::getValue(Root root, std::string_view key, std::string_view name) {
  auto guard = db_.lock();
  Statement& q = db_.prepare(
      "SELECT type, data FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?");
  q.bind(1, rootId(root)).bind(2, foldCase(normalizeKey(key))).bind(3, foldCase(name));
  if (!q.step()) {
    Status s = q.status();
    q.reset();
    if (!s.ok()) return s;
    return Status::NotFound("no value " + std::string(name));
  }
  RegValue v = readValue(q, 0);
  q.reset();
  return v;
}

Status SimRegistry::collect(int root, const std::string& keyFold, const std::string& nameFold,
                            ChangeSet& out) {
  Statement& w = db_.prepare(
      "SELECT id, address, cookie FROM watches WHERE root = ? AND keyfold = ? AND namefold = ?"
      " ORDER BY id");
  w.bind(1, root).bind(2, keyFold).bind(3, nameFold);
  while (w.step()) {
    out.watchers.push_back({w.columnInt(0), w.columnText(1), static_cast<uint64_t>(w.columnInt(2))});
  }
  Status s = w.status();
  w.reset();
  if (!s.ok()) return s;
  Statement& l = db_.prepare(
      "SELECT name, program, params FROM launches WHERE root = ? AND keyfold = ? AND"
      " valuefold = ? ORDER BY rowid");
  l.bind(1, root).bind(2, keyFold).bind(3, nameFold);
  while (l.step()) out.launches.push_back({l.columnText(0), l.columnText(1), l.columnText(2)});
  s = l.status();
  l.reset();
  return s;
}

void SimRegistry::deliverAfterCommit(ChangeSet changes) {
  if (changes.empty()) return;
  db_.afterCommit([this, c = std::move(changes)] { deliver_(c); });
}

Result<std::optional<RegValue>> SimRegistry::current(int root, const std::string& keyFold,
                                                     const std::string& nameFold) {
  auto guard = db_.lock();
  Statement& q = db_.prepare(
      "SELECT type, data FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?");
  q.bind(1, root).bind(2, keyFold).bind(3, nameFold);
  std::optional<RegValue> out;
  if (q.step()) out = readValue(q, 0);
  Status s = q.status();
  q.reset();
  if (!s.ok()) return s;
  return out;
}

Status SimRegistry::setValue(Root root, std::string_view key, std::string_view name,
                             const RegValue& value) {
  int r = rootId(root);
  std::string path = normalizeKey(key);
  if (Status s = checkKeyPath(path); !s.ok()) return s;
  std::string keyFold = foldCase(path);
  std::string nameFold = foldCase(name);
  bool present = false;
  // Most writes of a resident program repeat what is there: a read settles those without
  // the write lock.
  auto settled = [&]() -> Result<bool> {
    auto now = current(r, keyFold, nameFold);
    if (!now.ok()) return now.status();
    present = now->has_value();
    return *now == value;
  };
  return db_.writeUnlessSettled(
      settled, [&] { return store(r, path, keyFold, nameFold, name, value, present); });
}

Status SimRegistry::update(Root root, std::string_view key, std::string_view name,
                           const Change& change) {
  int r = rootId(root);
  std::string path = normalizeKey(key);
  if (Status s = checkKeyPath(path); !s.ok()) return s;
  std::string keyFold = foldCase(path);
  std::string nameFold = foldCase(name);
  return db_.write([&]() -> Status {
    auto now = current(r, keyFold, nameFold);
    if (!now.ok()) return now.status();
    Result<std::optional<RegValue>> wanted = change(*now);
    if (!wanted.ok()) return wanted.status();
    if (!wanted->has_value() || *now == *wanted) return Status::Ok();
    return store(r, path, keyFold, nameFold, name, **wanted, now->has_value());
  });
}

Status SimRegistry::store(int r, const std::string& path, const std::string& keyFold,
                          const std::string& nameFold, std::string_view name, const RegValue& value,
                          bool keyExists) {
  Status e = keyExists ? Status::Ok() : ensureKey(r, path, keyFold);
  if (!e.ok()) return e;
  Statement& u = db_.prepare(
      "INSERT INTO vals(root, keyfold, namefold, name, type, data) VALUES(?, ?, ?, ?, ?, ?)"
      " ON CONFLICT(root, keyfold, namefold) DO UPDATE SET type = excluded.type,"
      " data = excluded.data");
  u.bind(1, r).bind(2, keyFold).bind(3, nameFold).bind(4, name);
  bindValue(u, 5, value);
  e = u.run();
  if (!e.ok()) return e;
  // A change whose watchers cannot be looked up is not made: nobody would hear of it.
  ChangeSet changes;
  e = collect(r, keyFold, nameFold, changes);
  if (!e.ok()) return e;
  deliverAfterCommit(std::move(changes));
  return Status::Ok();
}

Status SimRegistry::deleteValue(Root root, std::string_view key, std::string_view name) {
  int r = rootId(root);
  std::string keyFold = foldCase(normalizeKey(key));
  std::string nameFold = foldCase(name);
  bool found = false;
  Status s = db_.write([&]() -> Status {
    Status e = db_.prepare("DELETE FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?")
                   .bind(1, r).bind(2, keyFold).bind(3, nameFold).run();
    if (!e.ok()) return e;
    found = db_.changes() > 0;
    if (!found) return Status::Ok();
    ChangeSet changes;
    e = collect(r, keyFold, nameFold, changes);
    if (!e.ok()) return e;
    deliverAfterCommit(std::move(changes));
    return Status::Ok();
  });
  if (!s.ok()) return s;
  return found ? Status::Ok() : Status::NotFound("no value " + std::string(name));
}

Status SimRegistry::deleteKey(Root root, std::string_view key) {
  int r = rootId(root);
  std::string fold = foldCase(normalizeKey(key));
  if (fold.empty()) return Status::Invalid("the root itself cannot be deleted");
  const auto range = descendantRange(fold);
  const std::string& lo = range.first;
  const std::string& hi = range.second;
  bool found = false;
  Status s = db_.write([&]() -> Status {
    Statement& v = db_.prepare(
        "SELECT keyfold, namefold FROM vals WHERE root = ?1 AND (keyfold = ?2 OR"
        " (keyfold > ?3 AND keyfold < ?4))");
    v.bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi);
    std::vector<std::pair<std::string, std::string>> gone;
    while (v.step()) gone.emplace_back(v.columnText(0), v.columnText(1));
    Status e = v.status();
    v.reset();
    if (!e.ok()) return e;
    ChangeSet changes;
    for (const auto& [k, n] : gone) {
      e = collect(r, k, n, changes);
      if (!e.ok()) return e;
    }
    deliverAfterCommit(std::move(changes));
    e = db_.prepare("DELETE FROM vals WHERE root = ?1 AND (keyfold = ?2 OR"
                           " (keyfold > ?3 AND keyfold < ?4))")
                   .bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi).run();
    if (!e.ok()) return e;
    e = db_.prepare("DELETE FROM keys WHERE root = ?1 AND (fold = ?2 OR (fold > ?3 AND fold < ?4))")
            .bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi).run();
    found = db_.changes() > 0;
    return e;
  });
  if (!s.ok()) return s;
  return found ? Status::Ok() : Status::NotFound("no key " + std::string(key));
}

Status SimRegistry::transaction(const std::function<Status()>& body) {
  // Each change is a part of this one write, and tells its watchers after its commit.
  return db_.write(body);
}

std::vector<std::string> SimRegistry::subKeys(Root root, std::string_view key) {
  std::string fold = foldCase(normalizeKey(key));
  auto [lo, hi] = descendantRange(fold);
  size_t skip = fold.empty() ? 0 : fold.size() + 1;
  std::vector<std::string> out;
  auto guard = db_.lock();
  // One look per child: the first key past the last one seen is a child, or lies below
  // one, and then the child's whole subtree (its keys sort together) is stepped over. A
  // scan of every descendant would make walking a deep tree quadratic.
  std::string from = lo;
  bool inclusive = false;  // whether `from` itself may be the next key
  for (;;) {
    Statement& q = db_.prepare(inclusive ? "SELECT fold, path FROM keys WHERE root = ? AND"
                                           " fold >= ? AND fold < ? ORDER BY fold LIMIT 1"
                                         : "SELECT fold, path FROM keys WHERE root = ? AND"
                                           " fold > ? AND fold < ? ORDER BY fold LIMIT 1");
    q.bind(1, rootId(root)).bind(2, from).bind(3, hi);
    bool found = q.step();
    std::string f = found ? q.columnText(0) : "";
    std::string path = found ? q.columnText(1) : "";
    q.reset();
    if (!found) break;
    size_t cut = f.find('\\', skip);
    if (cut == std::string::npos) {
      size_t last = path.rfind('\\');
      out.push_back(last == std::string::npos ? path : path.substr(last + 1));
      from = f;
      inclusive = false;
    } else {
      // Below a child whose own key is missing: go on after that child's subtree.
      from = f.substr(0, cut) + "]";
      inclusive = true;
    }
  }
  return out;
}

std::vector<NamedValue> SimRegistry::values(Root root, std::string_view key) {
  std::vector<NamedValue> out;
  auto guard = db_.lock();
  Statement& q = db_.prepare(
      "SELECT name, type, data FROM vals WHERE root = ? AND keyfold = ? ORDER BY namefold");
  q.bind(1, rootId(root)).bind(2, foldCase(normalizeKey(key)));
  while (q.step()) out.push_back({q.columnText(0), readValue(q, 1)});
  q.reset();
  return out;
}

}  // namespace zelko::platform::sim
