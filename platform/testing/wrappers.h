// Wrappers that forward every call of a platform service to another implementation, so
// that a test (or a benchmark) overrides just the calls it wants to change: a registry
// that refuses a write, a store that is full, a notification that cannot be registered,
// a clock that jumps. PlatformWrapper hands out the target platform's services; a test
// overrides the getter of the service it replaces with its own wrapper:
//
//   class FullRegistry : public RegistryWrapper {
//     using RegistryWrapper::RegistryWrapper;
//     Status setValue(Root, std::string_view, std::string_view, const RegValue&) override {
//       return Status::IoError("database or disk is full");
//     }
//   };
//
// The wrappers own nothing: the target must outlive them.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zelko::platform::testing {

class RegistryWrapper : public Registry {
 public:
  explicit RegistryWrapper(Registry& target) : target_(target) {}
  bool keyExists(Root root, std::string_view key) override { return target_.keyExists(root, key); }
  Status createKey(Root root, std::string_view key) override { return target_.createKey(root, key); }
  Result<RegValue> getValue(Root root, std::string_view key, std::string_view name) override {
    return target_.getValue(root, key, name);
  }
  Status setValue(Root root, std::string_view key, std::string_view name,
                  const RegValue& value) override {
    return target_.setValue(root, key, name, value);
  }
  Status deleteValue(Root root, std::string_view key, std::string_view name) override {
    return target_.deleteValue(root, key, name);
  }
  Status deleteKey(Root root, std::string_view key) override { return target_.deleteKey(root, key); }
  std::vector<std::string> subKeys(Root root, std::string_view key) override {
    return target_.subKeys(root, key);
  }
  std::vector<NamedValue> values(Root root, std::string_view key) override {
    return target_.values(root, key);
  }

 private:
  Registry& target_;
};

class NotificationsWrapper : public Notifications {
 public:
  explicit NotificationsWrapper(Notifications& target) : target_(target) {}
  Result<NotificationHandle> registerCallback(const ValueRef& value,
                                              ChangeCallback callback) override {
    return target_.registerCallback(value, std::move(callback));
  }
  void close(NotificationHandle handle) override { target_.close(handle); }
  Status registerLaunch(const LaunchRegistration& launch) override {
    return target_.registerLaunch(launch);
  }
  Status stopLaunch(std::string_view name) override { return target_.stopLaunch(name); }
  std::vector<LaunchRegistration> launches() override { return target_.launches(); }

 private:
  Notifications& target_;
};

class ShellWrapper : public Shell {
 public:
  explicit ShellWrapper(Shell& target) : target_(target) {}
  Result<ExecResult> execute(const ExecRequest& request) override { return target_.execute(request); }
  std::string commandLine() override { return target_.commandLine(); }
  std::string modulePath() override { return target_.modulePath(); }
  Result<std::string> specialFolder(SpecialFolder folder) override {
    return target_.specialFolder(folder);
  }
  Status runAtTime(std::string_view file, std::optional<DateTime> when) override {
    return target_.runAtTime(file, when);
  }

 private:
  Shell& target_;
};

class WindowsWrapper : public Windows {
 public:
  explicit WindowsWrapper(Windows& target) : target_(target) {}
  Status registerClass(std::string_view className, WindowProc proc) override {
    return target_.registerClass(className, std::move(proc));
  }
  Result<WindowHandle> createWindow(std::string_view className, std::string_view title,
                                    WindowHandle parent = 0) override {
    return target_.createWindow(className, title, parent);
  }
  Status destroyWindow(WindowHandle window) override { return target_.destroyWindow(window); }
  WindowHandle findWindow(std::string_view className) override {
    return target_.findWindow(className);
  }
  WindowHandle findChildWindow(WindowHandle parent, std::string_view className) override {
    return target_.findChildWindow(parent, className);
  }
  std::optional<WindowInfo> windowInfo(WindowHandle window) override {
    return target_.windowInfo(window);
  }
  std::vector<WindowInfo> listWindows() override { return target_.listWindows(); }
  Status postMessage(const Message& message) override { return target_.postMessage(message); }
  Result<int64_t> sendMessage(const Message& message) override {
    return target_.sendMessage(message);
  }
  Status setTimer(WindowHandle window, uint32_t id, std::chrono::milliseconds interval) override {
    return target_.setTimer(window, id, interval);
  }
  Status killTimer(WindowHandle window, uint32_t id) override {
    return target_.killTimer(window, id);
  }
  int runMessageLoop() override { return target_.runMessageLoop(); }
  bool pumpMessages(std::chrono::milliseconds maxWait) override {
    return target_.pumpMessages(maxWait);
  }
  void postQuit(int code) override { target_.postQuit(code); }
  int quitCode() override { return target_.quitCode(); }
  Status setForeground(WindowHandle window) override { return target_.setForeground(window); }
  WindowHandle foreground() override { return target_.foreground(); }
  Status invalidate(WindowHandle window) override { return target_.invalidate(window); }
  ScreenSize screenSize() override { return target_.screenSize(); }
  Point cursorPosition() override { return target_.cursorPosition(); }
  Status setCursorPosition(Point point) override { return target_.setCursorPosition(point); }

 private:
  Windows& target_;
};

class SyncWrapper : public Sync {
 public:
  explicit SyncWrapper(Sync& target) : target_(target) {}
  Result<std::unique_ptr<NamedMutex>> createMutex(std::string_view name) override {
    return target_.createMutex(name);
  }

 private:
  Sync& target_;
};

class ClockWrapper : public Clock {
 public:
  explicit ClockWrapper(Clock& target) : target_(target) {}
  DateTime utcNow() override { return target_.utcNow(); }
  DateTime localNow() override { return target_.localNow(); }
  DateTime toLocal(const DateTime& utc) override { return target_.toLocal(utc); }
  DateTime toUtc(const DateTime& local) override { return target_.toUtc(local); }
  int biasMinutes(const DateTime& utc) override { return target_.biasMinutes(utc); }
  std::chrono::steady_clock::time_point steadyNow() override { return target_.steadyNow(); }
  void sleep(std::chrono::milliseconds d) override { target_.sleep(d); }

 private:
  Clock& target_;
};

class LocaleWrapper : public Locale {
 public:
  explicit LocaleWrapper(Locale& target) : target_(target) {}
  std::string name() override { return target_.name(); }
  std::string formatDate(std::string_view picture, const DateTime& t) override {
    return target_.formatDate(picture, t);
  }
  std::string formatTime(std::string_view picture, const DateTime& t) override {
    return target_.formatTime(picture, t);
  }
  std::string shortDatePicture() override { return target_.shortDatePicture(); }
  std::string shortTimePicture() override { return target_.shortTimePicture(); }

 private:
  Locale& target_;
};

class FilesWrapper : public Files {
 public:
  explicit FilesWrapper(Files& target) : target_(target) {}
  bool exists(std::string_view path) override { return target_.exists(path); }
  bool isDirectory(std::string_view path) override { return target_.isDirectory(path); }
  Result<std::string> readFile(std::string_view path) override { return target_.readFile(path); }
  Result<std::string> readText(std::string_view path) override { return target_.readText(path); }
  Status writeFile(std::string_view path, std::string_view bytes) override {
    return target_.writeFile(path, bytes);
  }
  Status removeFile(std::string_view path) override { return target_.removeFile(path); }
  Status createDirectory(std::string_view path) override { return target_.createDirectory(path); }
  Result<std::unique_ptr<NewFile>> createFile(std::string_view path) override {
    return target_.createFile(path);
  }
  Result<std::vector<DirEntry>> listDirectory(std::string_view path) override {
    return target_.listDirectory(path);
  }
  Result<FileTime> lastWriteTime(std::string_view path) override {
    return target_.lastWriteTime(path);
  }
  std::string hostPath(std::string_view path) override { return target_.hostPath(path); }

 private:
  Files& target_;
};

class PowerWrapper : public Power {
 public:
  explicit PowerWrapper(Power& target) : target_(target) {}
  PowerStatus powerStatus() override { return target_.powerStatus(); }
  MemoryStatus memoryStatus() override { return target_.memoryStatus(); }
  StorageStatus storageStatus() override { return target_.storageStatus(); }

 private:
  Power& target_;
};

class LogWrapper : public Log {
 public:
  explicit LogWrapper(Log& target) : target_(target) {}
  void write(std::string_view line) override { target_.write(line); }

 private:
  Log& target_;
};

// Keeps every line it forwards, for a test to see what the program logged.
class RecordingLog : public LogWrapper {
 public:
  using LogWrapper::LogWrapper;
  void write(std::string_view line) override {
    lines_.emplace_back(line);
    LogWrapper::write(line);
  }
  const std::vector<std::string>& lines() const { return lines_; }
  // How many lines hold `part`.
  int count(std::string_view part) const {
    int n = 0;
    for (const std::string& line : lines_) n += line.find(part) != std::string::npos;
    return n;
  }

 private:
  std::vector<std::string> lines_;
};

// Every service of the target platform, unchanged until a subclass overrides a getter.
class PlatformWrapper : public Platform {
 public:
  explicit PlatformWrapper(Platform& target) : target_(target) {}
  Registry& registry() override { return target_.registry(); }
  Notifications& notifications() override { return target_.notifications(); }
  Shell& shell() override { return target_.shell(); }
  Windows& windows() override { return target_.windows(); }
  Sync& sync() override { return target_.sync(); }
  Clock& clock() override { return target_.clock(); }
  Locale& locale() override { return target_.locale(); }
  Files& files() override { return target_.files(); }
  Ui& ui() override { return target_.ui(); }
  Power& power() override { return target_.power(); }
  Radios& radios() override { return target_.radios(); }
  Items& items() override { return target_.items(); }
  Messaging& messaging() override { return target_.messaging(); }
  Http& http() override { return target_.http(); }
  Log& log() override { return target_.log(); }

 protected:
  Platform& target() { return target_; }

 private:
  Platform& target_;
};

}  // namespace zelko::platform::testing
