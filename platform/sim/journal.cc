#include "platform/sim/journal.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/sim/log.h"
#include "platform/sim/sim_journal.h"

namespace zelko::platform::sim {

std::string jsonQuote(std::string_view text) {
  std::string out = "\"";
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    unsigned char c = bytes[i];
    if (c >= 0x80) {
      // A JSON reader refuses bytes that are no UTF-8: such a byte becomes U+FFFD rather
      // than spoil the whole line.
      int32_t start = i;
      UChar32 cp;
      U8_NEXT(bytes, i, length, cp);
      if (cp < 0) {
        out += "\\ufffd";
      } else {
        out.append(text.substr(start, i - start));
      }
      continue;
    }
    ++i;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  return out + "\"";
}

JsonField JsonField::Text(std::string key, std::string_view value) {
  return {std::move(key), jsonQuote(value)};
}
JsonField JsonField::Number(std::string key, int64_t value) {
  return {std::move(key), std::to_string(value)};
}
JsonField JsonField::Bool(std::string key, bool value) {
  return {std::move(key), value ? "true" : "false"};
}
JsonField JsonField::Null(std::string key) { return {std::move(key), "null"}; }
JsonField JsonField::Raw(std::string key, std::string json) {
  return {std::move(key), std::move(json)};
}

SimJournal::SimJournal(std::unique_ptr<Database> db, Clock& clock, int64_t limit)
    : db_(std::move(db)), clock_(clock), limit_(std::max<int64_t>(limit, 1)) {
  // A program mostly appends here and reads back nothing. With the default cache every new
  // page of a growing journal would stay in memory, so a resident program would keep
  // growing by what it journals, up to the cache's 2 MB.
  logFailure("journal", db_->exec("PRAGMA cache_size=16"));
}

Status SimJournal::createSchema(Database& db) {
  return db.exec(
      "CREATE TABLE IF NOT EXISTS events("
      " seq INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, event TEXT NOT NULL,"
      " fields TEXT NOT NULL)");
}

namespace {

std::string fieldsJson(const std::vector<JsonField>& fields) {
  std::string body;
  for (const auto& f : fields) body += "," + jsonQuote(f.key) + ":" + f.json;
  return body;
}

}  // namespace

int64_t SimJournal::record(std::string_view event, const std::vector<JsonField>& fields) {
  std::string time = formatIsoDateTime(clock_.localNow());
  int64_t seq = 0;
  Status s = db_->write([&] {
    Status e = db_->prepare("INSERT INTO events(time, event, fields) VALUES(?, ?, ?)")
                   .bind(1, time)
                   .bind(2, event)
                   .bind(3, fieldsJson(fields))
                   .run();
    if (!e.ok()) return e;
    seq = db_->lastInsertId();
    // Sequence numbers are never reused, so the oldest events are those at or below this.
    return db_->prepare("DELETE FROM events WHERE seq <= ?").bind(1, seq - limit_).run();
  });
  if (!s.ok()) {
    logFailure("journal", s);
    return 0;
  }
  return seq;
}

void SimJournal::amend(int64_t seq, const std::vector<JsonField>& fields) {
  if (seq == 0) return;
  Status s = db_->write([&] {
    return db_->prepare("UPDATE events SET fields = ? WHERE seq = ?")
        .bind(1, fieldsJson(fields))
        .bind(2, seq)
        .run();
  });
  logFailure("journal", s);
}

std::vector<JournalEntry> SimJournal::read(int64_t afterSeq) {
  std::vector<JournalEntry> out;
  auto guard = db_->lock();
  Statement& q = db_->prepare("SELECT seq, time, event, fields FROM events WHERE seq > ? ORDER BY seq");
  q.bind(1, afterSeq);
  while (q.step()) {
    JournalEntry e;
    e.seq = q.columnInt(0);
    e.time = q.columnText(1);
    e.event = q.columnText(2);
    e.json = "{\"seq\":" + std::to_string(e.seq) + ",\"time\":" + jsonQuote(e.time) +
             ",\"event\":" + jsonQuote(e.event) + q.columnText(3) + "}";
    out.push_back(std::move(e));
  }
  q.reset();
  return out;
}

}  // namespace zelko::platform::sim
