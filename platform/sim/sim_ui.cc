#include "platform/sim/sim_ui.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <thread>

#include "platform/sim/ui_menu.h"
#include "platform/sim/ui_prompt.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

// How often an open menu looks for an answer queued while it is open.
constexpr std::chrono::milliseconds kMenuQueueLook{100};

void recordDialog(Journal& journal, const std::string& caption, const std::string& text,
                  const char* answer) {
  journal.record("dialog", {JsonField::Text("caption", caption), JsonField::Text("text", text),
                            JsonField::Text("answer", answer)});
}

// What the browser shows of each dialog.
std::string questionBody(const std::string& caption, const std::string& text) {
  return "{\"caption\":" + jsonQuote(caption) + ",\"text\":" + jsonQuote(text) + "}";
}

std::string menuBody(const std::vector<MenuItem>& items, int x, int y) {
  return "{\"items\":" + menuJson(items) + ",\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) + "}";
}

std::string chooserBody(const std::vector<ChooserEntry>& entries) {
  std::string out = "{\"contacts\":[";
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i) out += ',';
    out += "{\"oid\":" + std::to_string(entries[i].oid) + ",\"name\":" + jsonQuote(entries[i].name) +
           ",\"number\":" + jsonQuote(entries[i].number) + "}";
  }
  return out + "]}";
}

std::optional<size_t> parseIndex(const std::string& text) {
  size_t value = 0;
  const char* end = text.data() + text.size();
  auto [at, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || at != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ContactChoice> parseContactChoice(const std::string& answer) {
  size_t blank = answer.find(' ');
  if (blank == std::string::npos) return std::nullopt;
  std::string oidText = answer.substr(0, blank);
  uint32_t oid = 0;
  auto [at, ec] = std::from_chars(oidText.data(), oidText.data() + oidText.size(), oid);
  if (ec != std::errc() || at != oidText.data() + oidText.size() || oid == 0) return std::nullopt;
  std::string number = answer.substr(blank + 1);
  if (number.empty()) return std::nullopt;
  return ContactChoice{oid, number};
}

std::optional<std::string> SimUi::queued(DialogKind kind) {
  auto answer = answers_.take(kind);
  if (!answer.ok()) {
    journal_.record("error", {JsonField::Text("service", "ui"),
                              JsonField::Text("message", answer.status().message())});
    return std::nullopt;
  }
  return *answer;
}

SimUi::Hosted SimUi::askHost(DialogKind kind, const std::function<std::string()>& body,
                             std::chrono::milliseconds limit) {
  Hosted hosted;
  WindowHandle host = host_ ? host_->connected() : 0;
  if (host == 0) return hosted;
  hosted.shown = true;
  hosted.answer = host_->ask(host, kind, body(), limit, [&] { return queued(kind); });
  return hosted;
}

std::vector<ChooserEntry> SimUi::contacts() {
  return contacts_ ? contacts_() : std::vector<ChooserEntry>{};
}

Cursor SimUi::setCursor(Cursor cursor) {
  Cursor previous = cursor_;
  cursor_ = cursor;
  return previous;
}

void SimUi::messageBox(const std::string& caption, const std::string& text) {
  if (stdinIsTerminal()) {
    // The box stays until the person taps OK.
    (void)promptLine("[" + caption + "] " + text + "\n(Enter for OK) ", std::nullopt);
  }
  recordDialog(journal_, caption, text, "ok");
}

bool SimUi::askYesNo(const std::string& caption, const std::string& text) {
  std::optional<std::string> answer = queued(DialogKind::kQuestion);
  Hosted hosted;
  if (!answer) {
    hosted = askHost(DialogKind::kQuestion, [&] { return questionBody(caption, text); },
                     kBrowserAnswerLimit);
    answer = hosted.answer;
  }
  if (!answer && !hosted.shown && stdinIsTerminal()) {
    for (;;) {
      answer = promptLine("[" + caption + "] " + text + "\n(y/n) ", std::nullopt);
      if (!answer) break;
      if (*answer == "y" || *answer == "yes") answer = "yes";
      if (*answer == "n" || *answer == "no") answer = "no";
      if (*answer == "yes" || *answer == "no") break;
    }
  }
  bool yes = answer && *answer == "yes";
  recordDialog(journal_, caption, text, yes ? "yes" : "no");
  return yes;
}

std::optional<int> SimUi::popupMenu(const std::vector<MenuItem>& items, int x, int y,
                                    std::chrono::milliseconds timeout) {
  std::optional<int> chosen;
  if (std::optional<std::string> answer = queued(DialogKind::kMenu)) {
    chosen = findMenuCommand(items, *answer);
  } else if (Hosted hosted = askHost(DialogKind::kMenu, [&] { return menuBody(items, x, y); }, timeout);
             hosted.shown) {
    if (hosted.answer) chosen = findMenuCommand(items, *hosted.answer);
  } else if (stdinIsTerminal()) {
    chosen = menuFromTerminal(items, timeout);
  } else {
    // Nobody at a terminal: the menu stays open until its time-out, and an answer queued
    // while it is open is taken as the person's tap.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (std::optional<std::string> late = queued(DialogKind::kMenu)) {
        chosen = findMenuCommand(items, *late);
        break;
      }
      auto left = deadline - std::chrono::steady_clock::now();
      if (left <= decltype(left)::zero()) break;
      std::this_thread::sleep_for(std::min<decltype(left)>(left, kMenuQueueLook));
    }
  }
  std::string path = chosen ? menuCommandPath(items, *chosen) : std::string();
  journal_.record("menu", {JsonField::Raw("items", menuJson(items)),
                           chosen ? JsonField::Text("chosen", path) : JsonField::Null("chosen"),
                           JsonField::Number("x", x), JsonField::Number("y", y)});
  return chosen;
}

std::optional<int> SimUi::menuFromTerminal(const std::vector<MenuItem>& items,
                                           std::chrono::milliseconds timeout) {
  std::vector<int> commands;
  std::string listing = menuListing(items, commands);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string prompt = "menu (closes by itself after " +
                       std::to_string(timeout.count() / 1000) + " s):\n" + listing +
                       "number, or Enter to tap outside: ";
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    std::optional<std::string> line = promptLine(prompt, left);
    if (!line || line->empty()) return std::nullopt;
    std::optional<size_t> n = parseIndex(*line);
    if (n && *n >= 1 && *n <= commands.size()) return commands[*n - 1];
    prompt = "no item " + *line + "; number, or Enter to tap outside: ";
  }
}

std::optional<ContactChoice> SimUi::chooseContact() {
  std::optional<ContactChoice> choice;
  if (std::optional<std::string> answer = queued(DialogKind::kChooser)) {
    choice = parseContactChoice(*answer);
  } else if (Hosted hosted = askHost(DialogKind::kChooser, [this] { return chooserBody(contacts()); },
                                     kBrowserAnswerLimit);
             hosted.shown) {
    if (hosted.answer) choice = parseContactChoice(*hosted.answer);
  } else if (stdinIsTerminal()) {
    choice = contactFromTerminal();
  }
  journal_.record("chooser", {choice ? JsonField::Number("oid", choice->oid) : JsonField::Null("oid"),
                              choice ? JsonField::Text("number", choice->number)
                                     : JsonField::Null("number")});
  return choice;
}

std::optional<ContactChoice> SimUi::contactFromTerminal() {
  std::vector<ChooserEntry> entries = contacts();
  std::string prompt = "choose a contact:\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%5zu ", i + 1);
    prompt += number + entries[i].name + "  " + entries[i].number + "\n";
  }
  prompt += "number, or Enter to cancel: ";
  for (;;) {
    std::optional<std::string> line = promptLine(prompt, std::nullopt);
    if (!line || line->empty()) return std::nullopt;
    std::optional<size_t> n = parseIndex(*line);
    if (n && *n >= 1 && *n <= entries.size()) {
      return ContactChoice{entries[*n - 1].oid, entries[*n - 1].number};
    }
    prompt = "no contact " + *line + "; number, or Enter to cancel: ";
  }
}

}  // namespace zelko::platform::sim
