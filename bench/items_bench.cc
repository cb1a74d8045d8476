// The cost of walking the item store with a restriction, beside a bare SQLite SELECT of
// the same rows measured in the same run:
//   the birthday listing's restriction walk    vs  SELECT ... WHERE birthday BETWEEN
//   (Items::find and next over 10,000 contacts)
//   the same walk through OutlookStore         vs  the same SELECT
//   (find/next, each match read into its record)
// Prints each benchmark and then the ratios.
#include <benchmark/benchmark.h>

#include "bench/ratio_reporter.h"
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "common/outlook_store.h"
#include "platform/sim/device.h"

namespace fs = std::filesystem;
using zelko::platform::Contact;
using zelko::platform::DateTime;
using zelko::platform::ItemFolder;
using zelko::platform::NewContact;
using zelko::platform::sim::Device;

namespace {

constexpr int kContacts = 10000;
constexpr const char* kBirthdays = R"([Birthday] >= "01/01/1900" AND [Birthday] <= "01/01/2100")";

fs::path gDir;
std::unique_ptr<Device> gDevice;
size_t gMatches = 0;

// Nine contacts in ten have a birthday, as an address book of people rather than firms.
void fill() {
  std::vector<NewContact> batch(kContacts);
  for (int i = 0; i < kContacts; ++i) {
    Contact& c = batch[i].contact;
    c.firstName = "First" + std::to_string(i);
    c.lastName = "Last" + std::to_string(i % 977);
    c.mobilePhone = "+33 6 " + std::to_string(10000000 + i);
    c.homePhone = i % 3 ? "" : "01 23 45 " + std::to_string(1000 + i);
    c.categories = i % 5 ? "" : "Family";
    if (i % 10) {
      DateTime b;
      b.year = 1940 + i % 70;
      b.month = 1 + i % 12;
      b.day = 1 + i % 28;
      zelko::platform::normalizeDateTime(b);
      c.birthday = b;
    }
  }
  auto oids = gDevice->platform().items().addContacts(batch);
  if (!oids.ok()) std::abort();
}

void BM_BareSelect(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open_v2((gDevice->dir() / "pim.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  // 1900-01-01 and 2100-01-01 as the store's day numbers.
  sqlite3_prepare_v2(db,
                     "SELECT oid, first, last, mobile, home, business, birthday, anniversary,"
                     " categories, picture IS NOT NULL FROM contacts"
                     " WHERE birthday BETWEEN -25567 AND 47482 ORDER BY oid",
                     -1, &st, nullptr);
  for (auto _ : state) {
    std::vector<Contact> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
      Contact c;
      c.oid = static_cast<uint32_t>(sqlite3_column_int64(st, 0));
      auto text = [&](int col) {
        const unsigned char* t = sqlite3_column_text(st, col);
        return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st, col)) : std::string();
      };
      c.firstName = text(1);
      c.lastName = text(2);
      c.mobilePhone = text(3);
      c.homePhone = text(4);
      c.businessPhone = text(5);
      if (sqlite3_column_type(st, 6) != SQLITE_NULL) {
        c.birthday = zelko::platform::fromEpochMs(sqlite3_column_int64(st, 6) * 86400000);
      }
      c.categories = text(8);
      c.hasPicture = sqlite3_column_int(st, 9) != 0;
      rows.push_back(std::move(c));
    }
    sqlite3_reset(st);
    if (gMatches && rows.size() != gMatches) state.SkipWithError("the baseline read other rows");
    benchmark::DoNotOptimize(rows);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_BareSelect)->Unit(benchmark::kMillisecond);

void BM_RestrictionWalk(benchmark::State& state) {
  auto& items = gDevice->platform().items();
  for (auto _ : state) {
    auto walk = items.find(ItemFolder::kContacts, kBirthdays);
    size_t n = 0;
    while (auto item = (*walk)->next()) {
      benchmark::DoNotOptimize(item);
      ++n;
    }
    gMatches = n;
  }
}
BENCHMARK(BM_RestrictionWalk)->Unit(benchmark::kMillisecond);

void BM_OutlookStoreWalk(benchmark::State& state) {
  zelko::OutlookSession session(gDevice->platform());
  zelko::OutlookStore store(session, ItemFolder::kContacts);
  for (auto _ : state) {
    size_t n = 0;
    for (bool more = store.find(kBirthdays); more; more = store.next()) {
      benchmark::DoNotOptimize(store.record());
      ++n;
    }
    if (n != gMatches) state.SkipWithError("the walk read other rows");
  }
  store.close();
}
BENCHMARK(BM_OutlookStoreWalk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/zelko-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  gDir = tmpl;
  if (!Device::create(gDir / "device", {}).ok()) return 1;
  auto opened = Device::open(gDir / "device");
  if (!opened.ok()) return 1;
  gDevice = std::move(*opened);
  fill();

  benchmark::Initialize(&argc, argv);
  zelko::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (same run, %d contacts, %zu matches):\n", kContacts, gMatches);
  reporter.printRatio("BM_RestrictionWalk", "BM_BareSelect");
  reporter.printRatio("BM_OutlookStoreWalk", "BM_BareSelect");
  gDevice.reset();
  fs::remove_all(gDir);
  return 0;
}
