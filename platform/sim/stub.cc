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

class StubRadios final : public Radios, StubBase {
 public:
  explicit StubRadios(Journal& j) : StubBase(j, "radios") {}
  Result<bool> phoneRadioOn() override { note("phoneRadioOn"); return notYet("the cellular line"); }
  Status setPhoneRadio(bool) override { note("setPhoneRadio"); return notYet("the cellular line"); }
  Result<std::vector<WirelessDevice>> wirelessDevices() override {
    note("wirelessDevices");
    return notYet("the wireless-device library");
  }
  Status setWirelessState(WirelessKind, int) override {
    note("setWirelessState");
    return notYet("the wireless-device library");
  }
  std::vector<std::string> dialupConnections() override { note("dialupConnections"); return {}; }
  Status hangUp(std::string_view) override { note("hangUp"); return notYet("dial-up"); }
  Status connectData() override { note("connectData"); return notYet("the connection manager"); }
};

class StubHttp final : public Http, StubBase {
 public:
  explicit StubHttp(Journal& j) : StubBase(j, "http") {}
  Result<HttpResult> download(std::string_view, std::string_view) override {
    note("download");
    return notYet("HTTP");
  }
};

}  // namespace

void reportStub(Journal& journal, std::string_view service, std::string_view call) {
  journal.record("stub", {JsonField::Text("service", service), JsonField::Text("call", call)});
}

std::unique_ptr<Radios> makeStubRadios(Journal& j) { return std::make_unique<StubRadios>(j); }
std::unique_ptr<Http> makeStubHttp(Journal& j) { return std::make_unique<StubHttp>(j); }

}  // namespace zelko::platform::sim
