// ui: answers for the device's next dialogs.
#include <cstdio>

#include "device/cli.h"
#include "platform/sim/ui_answers.h"

namespace zelko::device {
namespace {

using platform::sim::DialogKind;

const char kUiUsage[] =
    "usage: zelko-device ui [answer yes|no | choose LABEL | choose 'SUBMENU > LABEL' |\n"
    "                        choose none | pick OID NUMBER | pick cancel | clear]\n"
    "\n"
    "Queues the answer to the device's next dialog of one kind:\n"
    "  answer yes|no        a question box\n"
    "  choose PATH | none   a popup menu: the command whose labels, from the top menu down,\n"
    "                       are PATH, joined with ' > '; none taps outside the menu\n"
    "  pick OID NUMBER      the contact chooser: the contact's id and the number picked;\n"
    "  pick cancel          cancel cancels it\n"
    "A dialog takes the oldest answer queued for its kind; an open popup menu also takes\n"
    "one queued while it is open. Without a queued answer, a dialog asks at the terminal\n"
    "when the program's standard input is one; otherwise a question box is answered No,\n"
    "a popup menu stays open until its time-out and a contact chooser is cancelled.\n"
    "Every dialog shown is in the journal with its answer.\n"
    "\n"
    "Without arguments: the answers waiting, KIND<TAB>ANSWER, oldest first.\n"
    "clear: drops every waiting answer.\n";

void push(Context& ctx, DialogKind kind, const std::string& answer) {
  check(ctx.device().uiAnswers().push(kind, answer));
}

int ui(Context& ctx, Args& args) {
  std::optional<std::string> verb = args.nextOptional();
  if (!verb) {
    auto waiting = ctx.device().uiAnswers().list();
    check(waiting.status());
    for (const auto& [kind, answer] : *waiting) {
      std::printf("%s\t%s\n", std::string(platform::sim::dialogKindName(kind)).c_str(),
                  escapeText(answer).c_str());
    }
    return 0;
  }
  if (*verb == "clear") {
    args.done();
    check(ctx.device().uiAnswers().clear());
    return 0;
  }
  if (*verb == "answer") {
    std::string answer = args.next("yes or no");
    args.done();
    if (answer != "yes" && answer != "no") throw UsageError("answer takes yes or no, not " + answer);
    push(ctx, DialogKind::kQuestion, answer);
    return 0;
  }
  if (*verb == "choose") {
    std::string path = args.next("the label path of a menu command, or none");
    args.done();
    if (path.empty()) throw UsageError("choose needs a label path, or none");
    push(ctx, DialogKind::kMenu, path);
    return 0;
  }
  if (*verb == "pick") {
    std::string first = args.next("a contact's id and number, or cancel");
    if (first == "cancel") {
      args.done();
      push(ctx, DialogKind::kChooser, "cancel");
      return 0;
    }
    uint64_t oid = parseNumber(first, "OID");
    if (oid == 0 || oid > UINT32_MAX) throw UsageError("no contact has the id " + first);
    std::string number = args.next("the number picked");
    args.done();
    if (number.empty()) throw UsageError("pick needs the number picked");
    push(ctx, DialogKind::kChooser, std::to_string(oid) + " " + number);
    return 0;
  }
  throw UsageError("unknown ui command " + *verb);
}

}  // namespace

const Command kUiCommands[] = {
    {"ui", "answer the next question box, popup menu or contact chooser", kUiUsage, ui},
    {nullptr, nullptr, nullptr, nullptr},
};

}  // namespace zelko::device
