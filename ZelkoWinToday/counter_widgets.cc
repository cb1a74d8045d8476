// The four unread counters (text messages, missed calls, e-mail, voice mail) and their
// total. Each counter shows its count, an icon and a coloured dot.
#include <string>

#include "ZelkoWinToday/widgets.h"
#include "common/host.h"
#include "common/suite.h"

namespace zelko::engine {
namespace {

using host::kCondensedPage;
using host::kPage1;

struct CounterInfo {
  std::string_view key;        // under HKEY_CURRENT_USER
  std::string_view valueName;  // the DWORD count
  std::string_view withCount, withoutCount, dot;
  std::string_view name;       // value names: name, namePNG, namePuce
  std::string_view notifyName;
  std::string_view totalImage;  // the total's image when all unread items are of this kind
};

constexpr CounterInfo kCounters[] = {
    {"System\\State\\Messages\\SMS\\Unread", "Count", "sms_e.png", "sms_d.png", "vert.png", "Sms",
     kNotifySms, "total_sms.png"},
    {"System\\State\\Phone", "Missed Call Count", "tel_e.png", "tel_d.png", "rouge.png", "Tel",
     kNotifyMissedCalls, "total_tel.png"},
    {"System\\State\\Messages\\TotalEmail\\Unread", "Count", "email_e.png", "email_d.png",
     "orange.png", "Email", kNotifyEmail, "total_email.png"},
    {"System\\State\\Messages\\Voicemail\\Unread", "Count", "voicemail_e.png", "voicemail_d.png",
     "marron.png", "Voicemail", kNotifyVoicemail, "total_vmail.png"},
};

const CounterInfo& info(Counter which) { return kCounters[static_cast<int>(which)]; }

}  // namespace

void Widgets::counter(Counter which) {
  const CounterInfo& c = info(which);
  ValueStore& values = suite_.values();
  {
    UpdateBracket bracket(values);
    uint32_t n = suite_.regReadNumber(platform::Root::kCurrentUser, c.key, c.valueName);
    std::string name(c.name);
    values.writeText(kPage1, name + "PNG", image(WidgetKind::kSys, n > 0 ? c.withCount : c.withoutCount));
    values.writeText(kPage1, name, n > 0 ? std::to_string(n) : "");
    values.writeText(kPage1, name + "Puce", image(WidgetKind::kSys, n > 0 ? c.dot : "null.png"));
    values.writeText(kCondensedPage, name, std::to_string(n));
    values.writeText(kCondensedPage, name + "Puce", image(WidgetKind::kSys, n > 0 ? c.dot : "gris.png"));
  }
  if (which == Counter::kSms) {
    // The text-message provider writes the unread image the total shows; a bounded wait
    // keeps a provider that hangs from stopping the engine.
    suite_.runInstalledAction("ZelkoSms.exe;-zelkotoday", true, kSmsProviderWait);
  }
  total();
  notify(c.notifyName);
}

void Widgets::total() {
  ValueStore& values = suite_.values();
  UpdateBracket bracket(values);
  uint64_t counts[4];
  uint64_t t = 0;
  for (int i = 0; i < 4; ++i) {
    counts[i] = suite_.regReadNumber(platform::Root::kCurrentUser, kCounters[i].key,
                                     kCounters[i].valueName);
    t += counts[i];
  }
  std::string_view kind = "total_d.png";
  std::string_view dot = "bleu.png";
  if (t > 0) {
    kind = "total_e.png";
    // Tested in the order missed calls, texts, e-mail, voice mail.
    for (Counter c : {Counter::kMissedCalls, Counter::kSms, Counter::kEmail, Counter::kVoicemail}) {
      if (counts[static_cast<int>(c)] == t) {
        kind = info(c).totalImage;
        dot = info(c).dot;
        break;
      }
    }
  }
  std::string kindPath = image(WidgetKind::kSys, kind);
  std::string notifyImage = kindPath;
  if (t > 0) {
    std::string unread = values.readText(host::kPage4, "UnreadPNG");
    if (!unread.empty()) notifyImage = unread;
  }
  values.writeText(kPage1, "TotalPNG", kindPath);
  values.writeText(kPage1, "TotalNotify", notifyImage);
  values.writeText(kPage1, "Total", t > 0 ? std::to_string(t) : "");
  values.writeText(kPage1, "TotalPuce", image(WidgetKind::kSys, t > 0 ? dot : "null.png"));
  values.writeText(kCondensedPage, "Total", std::to_string(t));
  values.writeText(kCondensedPage, "TotalPuce", image(WidgetKind::kSys, t > 0 ? dot : "gris.png"));
}

}  // namespace zelko::engine
