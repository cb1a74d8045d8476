#include "platform/sim/process_rows.h"

namespace zelko::platform::sim {

Status forgetProcess(Database& db, std::string_view address) {
  return db.write([&] {
    Status s = db.prepare("DELETE FROM watches WHERE address = ?").bind(1, address).run();
    if (!s.ok()) return s;
    return db.prepare("DELETE FROM windows WHERE address = ?").bind(1, address).run();
  });
}

}  // namespace zelko::platform::sim
