#include "tests/e2e/served_home.h"

#include <httplib.h>
#include <unistd.h>

#include "tests/e2e/spawned.h"

namespace zelko::testing {

namespace {

std::filesystem::path ownFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

}  // namespace

ServedHome::ServedHome(const std::filesystem::path& device) {
  outFile_ = device.parent_path() / ("serve-" + std::to_string(getpid()) + ".out");
  pid_ = spawnLogged({(ownFolder() / "zelko-device").string(), "-d", device.string(), "home", "--serve", "127.0.0.1:0"},
                     outFile_);
  port_ = awaitPort(pid_, outFile_, "http://127.0.0.1:");
  output_ = readWhole(outFile_);
}

ServedHome::~ServedHome() {
  if (pid_ != 0) stop();
}

int ServedHome::stop() {
  if (pid_ == 0) return -1;
  int code = stopProcess(pid_, std::chrono::seconds(15));
  pid_ = 0;
  output_ = readWhole(outFile_);
  return code;
}

EventStream::EventStream(int port) : client_(std::make_unique<httplib::Client>("127.0.0.1", port)) {
  client_->set_read_timeout(60, 0);
  reader_ = std::thread([this] {
    (void)client_->Get("/events", [this](const char* data, size_t size) {
      take(std::string_view(data, size));
      return true;
    });
  });
}

EventStream::~EventStream() {
  client_->stop();
  reader_.join();
}

void EventStream::take(std::string_view bytes) {
  auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  pending_.append(bytes);
  for (size_t end; (end = pending_.find("\n\n")) != std::string::npos;) {
    std::string block = pending_.substr(0, end + 1);
    pending_.erase(0, end + 2);
    StreamEvent e{"", "", now};
    bool first = true;
    for (size_t start = 0; start < block.size();) {
      size_t eol = block.find('\n', start);
      std::string line = block.substr(start, eol - start);
      start = eol + 1;
      if (line.rfind("event: ", 0) == 0) e.name = line.substr(7);
      if (line.rfind("data: ", 0) == 0) {
        e.data += (first ? "" : "\n") + line.substr(6);
        first = false;
      }
    }
    if (!e.name.empty()) events_.push_back(std::move(e));
  }
  arrived_.notify_all();
}

std::optional<StreamEvent> EventStream::next(const std::string& name, const std::string& text,
                                             std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    while (!events_.empty()) {
      StreamEvent e = std::move(events_.front());
      events_.pop_front();
      if (e.name == name && e.data.find(text) != std::string::npos) return e;
    }
    if (arrived_.wait_until(lock, end) == std::cv_status::timeout && events_.empty()) return std::nullopt;
  }
}

}  // namespace zelko::testing
