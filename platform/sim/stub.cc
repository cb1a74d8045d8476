#include "platform/sim/stub.h"

namespace zelko::platform::sim {
namespace {

Status notYet(std::string_view what) {
  return Status::Unsupported(std::string(what) + " is not emulated on this device yet");
}

class StubBase {
 protected:
  StubBase(Journal& journal, const char* service) : journal_(journal), service_(service) {}
  void note(std::string_view call) { reportStub(journal_, service_, call); }

 private:
  Journal& journal_;
  const char* service_;
};

class StubMessaging final : public Messaging, StubBase {
 public:
  explicit StubMessaging(Journal& j) : StubBase(j, "messaging") {}
  std::vector<InboxMessage> inbox() override { note("inbox"); return {}; }
  Status markRead(uint64_t) override { note("markRead"); return notYet("the message store"); }
  Status remove(uint64_t) override { note("remove"); return notYet("the message store"); }
  Status sendSms(std::string_view, std::string_view) override {
    note("sendSms");
    return notYet("texting");
  }
  Status placeCall(std::string_view) override { note("placeCall"); return notYet("calling"); }
  Status showBubble(std::string_view, std::string_view) override {
    note("showBubble");
    return notYet("bubbles");
  }
  Status removeBubble() override { note("removeBubble"); return notYet("bubbles"); }
};

}  // namespace

void reportStub(Journal& journal, std::string_view service, std::string_view call) {
  journal.record("stub", {JsonField::Text("service", service), JsonField::Text("call", call)});
}

std::unique_ptr<Messaging> makeStubMessaging(Journal& j) {
  return std::make_unique<StubMessaging>(j);
}

}  // namespace zelko::platform::sim
