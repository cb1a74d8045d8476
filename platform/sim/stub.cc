#include "platform/sim/stub.h"

namespace zelko::platform::sim {

void reportStub(Journal& journal, std::string_view service, std::string_view call) {
  journal.record("stub", {JsonField::Text("service", service), JsonField::Text("call", call)});
}

}  // namespace zelko::platform::sim
