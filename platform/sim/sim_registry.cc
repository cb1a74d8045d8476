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
  q.reset();
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
  return db_.write([&] { return ensureKey(rootId(root), path, foldCase(path)); });
}

Result<RegValue> SimRegistry::getValue(Root root, std::string_view key, std::string_view name) {
  auto guard = db_.lock();
  Statement& q = db_.prepare(
      "SELECT type, data FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?");
  q.bind(1, rootId(root)).bind(2, foldCase(normalizeKey(key))).bind(3, foldCase(name));
  if (!q.step()) {
    q.reset();
    return Status::NotFound("no value " + std::string(name));
  }
  RegValue v = readValue(q, 0);
  q.reset();
  return v;
}

void SimRegistry::collect(int root, const std::string& keyFold, const std::string& nameFold,
                          ChangeSet& out) {
  Statement& w = db_.prepare(
      "SELECT id, address, cookie FROM watches WHERE root = ? AND keyfold = ? AND namefold = ?"
      " ORDER BY id");
  w.bind(1, root).bind(2, keyFold).bind(3, nameFold);
  while (w.step()) {
    out.watchers.push_back({w.columnInt(0), w.columnText(1), static_cast<uint64_t>(w.columnInt(2))});
  }
  w.reset();
  Statement& l = db_.prepare(
      "SELECT name, program, params FROM launches WHERE root = ? AND keyfold = ? AND"
      " valuefold = ? ORDER BY rowid");
  l.bind(1, root).bind(2, keyFold).bind(3, nameFold);
  while (l.step()) out.launches.push_back({l.columnText(0), l.columnText(1), l.columnText(2)});
  l.reset();
}

Status SimRegistry::setValue(Root root, std::string_view key, std::string_view name,
                             const RegValue& value) {
  int r = rootId(root);
  std::string path = normalizeKey(key);
  std::string keyFold = foldCase(path);
  std::string nameFold = foldCase(name);
  ChangeSet changes;
  Status s = db_.write([&]() -> Status {
    Statement& q = db_.prepare(
        "SELECT type, data FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?");
    q.bind(1, r).bind(2, keyFold).bind(3, nameFold);
    bool same = q.step() && readValue(q, 0) == value;
    q.reset();
    if (same) return Status::Ok();
    Status e = ensureKey(r, path, keyFold);
    if (!e.ok()) return e;
    Statement& u = db_.prepare(
        "INSERT INTO vals(root, keyfold, namefold, name, type, data) VALUES(?, ?, ?, ?, ?, ?)"
        " ON CONFLICT(root, keyfold, namefold) DO UPDATE SET type = excluded.type,"
        " data = excluded.data");
    u.bind(1, r).bind(2, keyFold).bind(3, nameFold).bind(4, name);
    bindValue(u, 5, value);
    e = u.run();
    if (!e.ok()) return e;
    collect(r, keyFold, nameFold, changes);
    return Status::Ok();
  });
  if (s.ok() && !changes.empty()) deliver(changes);
  return s;
}

Status SimRegistry::deleteValue(Root root, std::string_view key, std::string_view name) {
  int r = rootId(root);
  std::string keyFold = foldCase(normalizeKey(key));
  std::string nameFold = foldCase(name);
  ChangeSet changes;
  bool found = false;
  Status s = db_.write([&]() -> Status {
    Status e = db_.prepare("DELETE FROM vals WHERE root = ? AND keyfold = ? AND namefold = ?")
                   .bind(1, r).bind(2, keyFold).bind(3, nameFold).run();
    if (!e.ok()) return e;
    found = db_.changes() > 0;
    if (found) collect(r, keyFold, nameFold, changes);
    return Status::Ok();
  });
  if (!s.ok()) return s;
  if (!changes.empty()) deliver(changes);
  return found ? Status::Ok() : Status::NotFound("no value " + std::string(name));
}

Status SimRegistry::deleteKey(Root root, std::string_view key) {
  int r = rootId(root);
  std::string fold = foldCase(normalizeKey(key));
  if (fold.empty()) return Status::Invalid("the root itself cannot be deleted");
  const auto range = descendantRange(fold);
  const std::string& lo = range.first;
  const std::string& hi = range.second;
  ChangeSet changes;
  bool found = false;
  Status s = db_.write([&]() -> Status {
    Statement& v = db_.prepare(
        "SELECT keyfold, namefold FROM vals WHERE root = ?1 AND (keyfold = ?2 OR"
        " (keyfold > ?3 AND keyfold < ?4))");
    v.bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi);
    std::vector<std::pair<std::string, std::string>> gone;
    while (v.step()) gone.emplace_back(v.columnText(0), v.columnText(1));
    v.reset();
    for (const auto& [k, n] : gone) collect(r, k, n, changes);
    Status e = db_.prepare("DELETE FROM vals WHERE root = ?1 AND (keyfold = ?2 OR"
                           " (keyfold > ?3 AND keyfold < ?4))")
                   .bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi).run();
    if (!e.ok()) return e;
    e = db_.prepare("DELETE FROM keys WHERE root = ?1 AND (fold = ?2 OR (fold > ?3 AND fold < ?4))")
            .bind(1, r).bind(2, fold).bind(3, lo).bind(4, hi).run();
    found = db_.changes() > 0;
    return e;
  });
  if (!s.ok()) return s;
  if (!changes.empty()) deliver(changes);
  return found ? Status::Ok() : Status::NotFound("no key " + std::string(key));
}

void SimRegistry::deliver(const ChangeSet& changes) {
  if (transactionThread_.load() != std::this_thread::get_id()) {
    deliver_(changes);
    return;
  }
  pending_.watchers.insert(pending_.watchers.end(), changes.watchers.begin(), changes.watchers.end());
  pending_.launches.insert(pending_.launches.end(), changes.launches.begin(), changes.launches.end());
}

Status SimRegistry::transaction(const std::function<Status()>& body) {
  ChangeSet committed;
  Status s = db_.write([&] {
    struct Scope {
      SimRegistry& r;
      ChangeSet& out;
      ~Scope() {
        r.transactionThread_ = std::thread::id();
        out = std::move(r.pending_);
      }
    } scope{*this, committed};
    transactionThread_ = std::this_thread::get_id();
    pending_ = {};
    return body();
  });
  if (s.ok() && !committed.empty()) deliver_(committed);
  return s;
}

std::vector<std::string> SimRegistry::subKeys(Root root, std::string_view key) {
  std::string fold = foldCase(normalizeKey(key));
  auto [lo, hi] = descendantRange(fold);
  size_t skip = fold.empty() ? 0 : fold.size() + 1;
  std::vector<std::pair<std::string, std::string>> found;  // fold, name
  auto guard = db_.lock();
  Statement& q = db_.prepare("SELECT fold, path FROM keys WHERE root = ? AND fold > ? AND fold < ?"
                             " ORDER BY fold");
  q.bind(1, rootId(root)).bind(2, lo).bind(3, hi);
  while (q.step()) {
    std::string f = q.columnText(0);
    if (f.size() <= skip || f.find('\\', skip) != std::string::npos) continue;
    std::string path = q.columnText(1);
    size_t cut = path.rfind('\\');
    found.emplace_back(f, cut == std::string::npos ? path : path.substr(cut + 1));
  }
  q.reset();
  std::vector<std::string> out;
  for (auto& [f, name] : found) out.push_back(std::move(name));
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
