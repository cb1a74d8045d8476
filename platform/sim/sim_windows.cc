#include "platform/sim/sim_windows.h"

#include <charconv>
#include <cstring>
#include <set>

#include "platform/sim/log.h"
#include "platform/sim/process_info.h"
#include "platform/sim/process_rows.h"
#include "platform/text.h"

namespace zelko::platform::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How often a sender that waits for an answer checks that the receiver still lives.
constexpr milliseconds kLivenessPoll{100};

Packet packetOf(Packet::Kind kind, const Message& m) {
  Packet p;
  p.kind = kind;
  p.window = m.window;
  p.message = m.message;
  p.wParam = m.wParam;
  p.lParam = m.lParam;
  return p;
}

// Two numbers and the separator between them: the cursor is kept as "X,Y".
std::optional<Point> parsePoint(const std::string& text, char separator) {
  Point p;
  const char* end = text.data() + text.size();
  auto [mid, ec] = std::from_chars(text.data(), end, p.x);
  if (ec != std::errc() || mid == end || *mid != separator) return std::nullopt;
  auto [last, ec2] = std::from_chars(mid + 1, end, p.y);
  if (ec2 != std::errc() || last != end) return std::nullopt;
  return p;
}

}  // namespace

Status SimWindows::createSchema(Database& db) {
  return db.exec(
      "CREATE TABLE IF NOT EXISTS windows(hwnd INTEGER PRIMARY KEY AUTOINCREMENT,"
      " parent INTEGER NOT NULL, class TEXT NOT NULL, classfold TEXT NOT NULL,"
      " title TEXT NOT NULL, pid INTEGER NOT NULL, start INTEGER NOT NULL,"
      " address TEXT NOT NULL);"
      "CREATE INDEX IF NOT EXISTS windows_class ON windows(classfold, parent);");
}

SimWindows::~SimWindows() {
  if (local_.empty()) return;
  ProcessId self = runtime_.self();
  logFailure("cannot remove the windows", db_.write([&] {
    return db_.prepare("DELETE FROM windows WHERE pid = ? AND start = ?")
        .bind(1, self.pid)
        .bind(2, static_cast<int64_t>(self.startTime))
        .run();
  }));
}

Status SimWindows::registerClass(std::string_view className, WindowProc proc) {
  std::string fold = foldCase(className);
  if (className.empty() || classes_.count(fold)) {
    return Status::Invalid("class " + std::string(className) + " is registered already");
  }
  classes_[fold] = std::move(proc);
  return Status::Ok();
}

Result<WindowHandle> SimWindows::createWindow(std::string_view className, std::string_view title,
                                              WindowHandle parent) {
  std::string fold = foldCase(className);
  if (!classes_.count(fold)) return Status::NotFound("no class " + std::string(className));
  MessageQueue* queue = runtime_.queue();
  if (!queue) return Status::IoError("this program has no message queue");
  int64_t hwnd = 0;
  ProcessId self = runtime_.self();
  Status s = db_.write([&] {
    Status e = db_.prepare("INSERT INTO windows(parent, class, classfold, title, pid, start,"
                           " address) VALUES(?, ?, ?, ?, ?, ?, ?)")
                   .bind(1, static_cast<int64_t>(parent))
                   .bind(2, className)
                   .bind(3, fold)
                   .bind(4, title)
                   .bind(5, self.pid)
                   .bind(6, static_cast<int64_t>(self.startTime))
                   .bind(7, queue->address())
                   .run();
    hwnd = db_.lastInsertId();
    return e;
  });
  if (!s.ok()) return s;
  local_[static_cast<WindowHandle>(hwnd)] = fold;
  return static_cast<WindowHandle>(hwnd);
}

Status SimWindows::destroyWindow(WindowHandle window) {
  if (!local_.count(window)) return Status::Invalid("not a window of this program");
  // A procedure that destroys its window again from kWmDestroy would recurse without end.
  if (!dying_.insert(window).second) return Status::Invalid("the window is being destroyed");
  // Children go with their parent.
  auto children = rows("parent = ?", [&](Statement& q) { q.bind(1, static_cast<int64_t>(window)); });
  for (const Row& child : children) {
    if (local_.count(child.info.handle)) logFailure("cannot destroy a window", destroyWindow(child.info.handle));
  }
  // The row of a window whose process still runs is taken for a live window: keep the
  // window too when it cannot go.
  Status s = db_.write([&] {
    return db_.prepare("DELETE FROM windows WHERE hwnd = ?").bind(1, int64_t(window)).run();
  });
  if (!s.ok()) {
    dying_.erase(window);
    return s;
  }
  callProc(window, kWmDestroy, 0, 0);
  local_.erase(window);
  dying_.erase(window);
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == window ? timers_.erase(it) : std::next(it);
  }
  return Status::Ok();
}

std::vector<SimWindows::Row> SimWindows::rows(std::string_view where,
                                              const std::function<void(Statement&)>& bind) {
  std::string sql =
      "SELECT hwnd, parent, class, title, pid, start, address FROM windows WHERE " +
      std::string(where) + " ORDER BY hwnd";
  auto guard = db_.lock();
  Statement& q = db_.prepare(sql);
  bind(q);
  std::vector<Row> out;
  std::set<std::string> dead;
  while (q.step()) {
    Row r;
    r.info.handle = static_cast<WindowHandle>(q.columnInt(0));
    r.info.parent = static_cast<WindowHandle>(q.columnInt(1));
    r.info.className = q.columnText(2);
    r.info.title = q.columnText(3);
    r.info.pid = static_cast<int>(q.columnInt(4));
    r.startTime = static_cast<uint64_t>(q.columnInt(5));
    r.address = q.columnText(6);
    if (processAlive({r.info.pid, r.startTime})) {
      out.push_back(std::move(r));
    } else {
      dead.insert(r.address);
    }
  }
  logFailure("cannot list the windows", q.status());
  q.reset();
  for (const std::string& address : dead) {
    logFailure("cannot drop the rows of an ended program", forgetProcess(db_, address));
  }
  return out;
}

std::optional<SimWindows::Row> SimWindows::liveRow(WindowHandle window) {
  auto found = rows("hwnd = ?", [&](Statement& q) { q.bind(1, static_cast<int64_t>(window)); });
  if (found.empty()) return std::nullopt;
  return found.front();
}

WindowHandle SimWindows::firstLive(int64_t parent, std::string_view className) {
  auto found = rows("parent = ? AND classfold = ?",
                    [&](Statement& q) { q.bind(1, parent).bind(2, foldCase(className)); });
  return found.empty() ? 0 : found.front().info.handle;
}

WindowHandle SimWindows::findWindow(std::string_view className) { return firstLive(0, className); }

WindowHandle SimWindows::findChildWindow(WindowHandle parent, std::string_view className) {
  if (parent == 0) return 0;
  return firstLive(static_cast<int64_t>(parent), className);
}

std::optional<WindowInfo> SimWindows::windowInfo(WindowHandle window) {
  auto r = liveRow(window);
  if (!r) return std::nullopt;
  return r->info;
}

std::vector<WindowInfo> SimWindows::listWindows() {
  std::vector<WindowInfo> out;
  for (auto& r : rows("1 = 1", [](Statement&) {})) out.push_back(std::move(r.info));
  return out;
}

Status SimWindows::postMessage(const Message& m) {
  Packet p = packetOf(Packet::kPost, m);
  // No liveness check here: the queue address names the process by pid and start time,
  // so a message to a window of a process that ended finds no one and fails.
  std::optional<std::string> address;
  {
    auto guard = db_.lock();  // posting from a worker thread is the usual way to reach the UI
    Statement& q = db_.prepare("SELECT address FROM windows WHERE hwnd = ?");
    q.bind(1, static_cast<int64_t>(m.window));
    if (q.step()) address = q.columnText(0);
    q.reset();
  }
  if (!address) return Status::NotFound("no window " + std::to_string(m.window));
  Status s = MessageQueue::sendTo(*address, p);
  if (s.code() == Status::Code::kNotFound) return Status::NotFound("no window " + std::to_string(m.window));
  return s;
}

Result<int64_t> SimWindows::sendMessage(const Message& m) {
  if (local_.count(m.window)) return callProc(m.window, m.message, m.wParam, m.lParam);
  auto row = liveRow(m.window);
  if (!row) return Status::NotFound("no window " + std::to_string(m.window));
  MessageQueue* queue = runtime_.queue();
  if (!queue) return Status::IoError("this program has no message queue");
  Packet p = packetOf(Packet::kSend, m);
  p.id = nextRequest_++;
  std::strncpy(p.replyTo, queue->address().c_str(), sizeof(p.replyTo) - 1);
  Status s = MessageQueue::sendTo(row->address, p);
  if (!s.ok()) return s;
  std::deque<Packet> held;  // posted to us meanwhile: they keep their turn for later
  for (;;) {
    std::optional<Packet> in = queue->pop(kLivenessPoll);
    if (!in) {
      if (!processAlive({row->info.pid, row->startTime})) break;
      continue;
    }
    if (in->kind == Packet::kReply && in->id == p.id) {
      deferred_.insert(deferred_.end(), held.begin(), held.end());
      return in->result;
    }
    if (in->kind == Packet::kSend) {
      dispatch(*in);  // answering others while we wait avoids a deadlock between two senders
    } else if (in->kind != Packet::kReply) {
      held.push_back(*in);
    }
  }
  deferred_.insert(deferred_.end(), held.begin(), held.end());
  return Status::NotFound("the window's program ended before answering");
}

Status SimWindows::setTimer(WindowHandle window, uint32_t id, milliseconds interval) {
  if (!local_.count(window)) return Status::Invalid("not a window of this program");
  if (interval.count() <= 0) interval = milliseconds(1);
  timers_[{window, id}] = {interval, steady_clock::now() + interval};
  return Status::Ok();
}

Status SimWindows::killTimer(WindowHandle window, uint32_t id) {
  return timers_.erase({window, id}) ? Status::Ok() : Status::NotFound("no such timer");
}

std::optional<steady_clock::time_point> SimWindows::fireDueTimers() {
  std::optional<steady_clock::time_point> next;
  auto now = steady_clock::now();
  std::vector<std::pair<WindowHandle, uint32_t>> due;
  for (auto& [key, t] : timers_) {
    if (t.due <= now) {
      due.push_back(key);
      t.due = now + t.interval;
    }
  }
  for (auto& [window, id] : due) {
    if (timers_.count({window, id})) callProc(window, kWmTimer, id, 0);
  }
  for (auto& [key, t] : timers_) {
    if (!next || t.due < *next) next = t.due;
  }
  return next;
}

bool SimWindows::handleNext(milliseconds wait) {
  auto nextTimer = fireDueTimers();
  if (quit_) return false;
  if (!deferred_.empty()) {
    Packet p = deferred_.front();
    deferred_.pop_front();
    dispatch(p);
    return true;
  }
  MessageQueue* queue = runtime_.queue();
  if (nextTimer) {
    auto untilTimer = std::chrono::ceil<milliseconds>(*nextTimer - steady_clock::now());
    untilTimer = std::max(untilTimer, milliseconds(0));
    if (wait.count() < 0 || untilTimer < wait) wait = untilTimer;
  }
  std::optional<Packet> p = queue ? queue->pop(wait) : std::nullopt;
  if (!p) return false;
  dispatch(*p);
  return true;
}

void SimWindows::dispatch(const Packet& p) {
  switch (p.kind) {
    case Packet::kPost:
      if (p.message == kWmQuit) {
        postQuit(static_cast<int>(p.wParam));
      } else {
        callProc(p.window, p.message, p.wParam, p.lParam);
      }
      break;
    case Packet::kSend: {
      Packet reply;
      reply.kind = Packet::kReply;
      reply.id = p.id;
      reply.result = callProc(p.window, p.message, p.wParam, p.lParam);
      Status s = MessageQueue::sendTo(p.replyTo, reply);
      // A sender that gave up is gone: nothing to do.
      if (s.code() != Status::Code::kNotFound) logFailure("cannot answer a sent message", s);
      break;
    }
    case Packet::kNotify:
      if (notify_) notify_(p.id);
      break;
    case Packet::kWake:
      lastMarkSeen_ = std::max(lastMarkSeen_, p.id);
      break;
    default:
      break;
  }
}

int64_t SimWindows::callProc(WindowHandle window, uint32_t message, uint64_t wParam,
                             int64_t lParam) {
  auto w = local_.find(window);
  if (w == local_.end()) return 0;  // destroyed while the message travelled
  auto c = classes_.find(w->second);
  if (c == classes_.end()) return 0;
  WindowProc proc = c->second;  // the procedure may register or destroy things
  return proc(Message{window, message, wParam, lParam});
}

int SimWindows::runMessageLoop() {
  while (!quit_) handleNext(milliseconds(-1));
  return quitCode_;
}

bool SimWindows::pumpMessages(milliseconds maxWait) {
  if (quit_) return false;
  if (!handleNext(std::max(maxWait, milliseconds(0)))) {
    // The wait may have ended because a timer fell due: serve it now, not a pump later.
    fireDueTimers();
    return !quit_;
  }
  // Then what is queued by now, but not what handling it queues: a procedure that keeps
  // posting to itself would otherwise hold the pump for ever. A mark put behind the
  // queued packets says where "now" ends.
  MessageQueue* queue = runtime_.queue();
  if (!queue) return !quit_;
  Packet mark;
  mark.kind = Packet::kWake;
  mark.id = ++lastMarkSent_;
  queue->push(mark);
  while (!quit_ && lastMarkSeen_ < mark.id && handleNext(milliseconds(0))) {
  }
  return !quit_;
}

void SimWindows::postQuit(int code) {
  quit_ = true;
  quitCode_ = code;
}

Status SimWindows::setForeground(WindowHandle window) {
  if (!liveRow(window)) return Status::NotFound("no window " + std::to_string(window));
  return settings_.set("foreground", std::to_string(window));
}

WindowHandle SimWindows::foreground() {
  auto w = static_cast<WindowHandle>(settings_.getInt("foreground", 0));
  return w != 0 && liveRow(w) ? w : 0;
}

Status SimWindows::invalidate(WindowHandle window) {
  return postMessage(Message{window, kWmPaint, 0, 0});
}

ScreenSize SimWindows::screenSize() {
  // Device::create refuses a malformed size, so the fallback only covers a hand-edited store.
  return parseScreenSize(settings_.get("screen", "480x800")).value_or(ScreenSize{480, 800});
}

Point SimWindows::cursorPosition() {
  if (auto touched = parsePoint(settings_.get("cursor", ""), ',')) return *touched;
  ScreenSize screen = screenSize();
  return {screen.width / 2, screen.height / 2};
}

Status SimWindows::setCursorPosition(Point point) {
  return settings_.set("cursor", std::to_string(point.x) + "," + std::to_string(point.y));
}

}  // namespace zelko::platform::sim
