#include "ZelkoSms/display.h"

#include "ZelkoSms/records.h"
#include "common/host.h"
#include "common/suite.h"
#include "platform/platform.h"

namespace zelko::sms {
namespace {

using host::kPage4;
using platform::Root;

constexpr int kSlots = 5;

// Slot 1 writes IconA and LabelA, slot k the names with k - 1.
std::string slotName(std::string_view base, int k) {
  return std::string(base) + (k == 1 ? std::string("A") : std::to_string(k - 1));
}

void writeSlot(Suite& suite, int k) {
  std::string key = recordKey(kDefaultStoreName, k);
  auto text = [&](std::string_view name) { return suite.regReadText(Root::kCurrentUser, key, name); };
  std::string sender = text(kSender), picture = text(kPicture);
  std::string image = sender.empty()    ? sysImage(suite, "null.png")
                      : picture.empty() ? sysImage(suite, "unknown.png")
                                        : picture;
  // A picture shows who wrote; the label then leaves the name out.
  std::string label = text(kDateTime) + " " + (picture.empty() ? sender : "") + "\n" + text(kSubject);
  ValueStore& values = suite.values();
  values.writeText(kPage4, slotName("Icon", k), image);
  values.writeText(kPage4, slotName("Label", k), label);
  if (k != 1) return;
  if (suite.regReadNumber(Root::kCurrentUser, key, kUnread) == 1) {
    values.writeText(kPage4, "UnreadText", label);
    values.writeText(kPage4, "UnreadPNG", image);
  } else {
    values.writeText(kPage4, "UnreadVal", "");
    values.writeText(kPage4, "UnreadPNG", "");
  }
}

}  // namespace

std::string sysImage(Suite& suite, std::string_view fileName) {
  const Settings& settings = suite.settings();
  return suite.values().resolveImage(settings.skinFolder(WidgetKind::kSys), fileName,
                                     settings.defaultFolder(WidgetKind::kSys));
}

void display(Suite& suite) {
  platform::Ui& ui = suite.platform().ui();
  platform::Cursor previous = ui.setCursor(platform::Cursor::kWait);
  {
    ValueStore& values = suite.values();
    UpdateBracket bracket(values);
    values.writeText(kPage4, "Infos", sysImage(suite, "null.png"));
    values.writeText(kPage4, "InfosText", "");
    for (int k = 1; k <= kSlots; ++k) writeSlot(suite, k);
    values.writeText(kPage4, "HeaderText", "");
    uint32_t unread = suite.regReadNumber(Root::kCurrentUser, platform::kSmsUnreadKey,
                                          platform::kSmsUnreadValue);
    if (unread > 0) values.writeText(kPage4, "HeaderText", std::to_string(unread));
    if (suite.regReadNumber(Root::kCurrentUser, storeKey(kDefaultStoreName), kTotal) < 1) {
      values.writeText(kPage4, "LabelA",
                       suite.settings().suiteIni().getText("ZelkoToday", "NOSMS", "No SMS"));
    }
  }
  ui.setCursor(previous);
}

void toggleInfos(Suite& suite, std::string_view storeName, int n) {
  MessageRecord r = readRecord(suite, storeName, n);
  ValueStore& values = suite.values();
  bool hidden = values.readText(kPage4, "Infos").find("null.png") != std::string::npos;
  UpdateBracket bracket(values);
  if (hidden) {
    values.writeText(kPage4, "Infos", sysImage(suite, "infos4.png"));
    values.writeText(kPage4, "InfosText", r.sender + "\n\n" + r.subject);
  } else {
    values.writeText(kPage4, "Infos", sysImage(suite, "null.png"));
    values.writeText(kPage4, "InfosText", "");
  }
}

}  // namespace zelko::sms
