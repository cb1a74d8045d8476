// One object that reaches every platform service of the running program. A program
// creates it in main and hands it down; tests make a fresh one per case.
#pragma once

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/http.h"
#include "platform/items.h"
#include "platform/locale.h"
#include "platform/log.h"
#include "platform/messaging.h"
#include "platform/notifications.h"
#include "platform/power.h"
#include "platform/radios.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sync.h"
#include "platform/ui.h"
#include "platform/windows.h"

namespace zelko::platform {

class Platform {
 public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  virtual ~Platform() = default;

  virtual Registry& registry() = 0;
  virtual Notifications& notifications() = 0;
  virtual Shell& shell() = 0;
  virtual Windows& windows() = 0;
  virtual Sync& sync() = 0;
  virtual Clock& clock() = 0;
  virtual Locale& locale() = 0;
  virtual Files& files() = 0;
  virtual Ui& ui() = 0;
  virtual Power& power() = 0;
  virtual Radios& radios() = 0;
  virtual Items& items() = 0;
  virtual Messaging& messaging() = 0;
  virtual Http& http() = 0;
  virtual Log& log() = 0;
};

}  // namespace zelko::platform
