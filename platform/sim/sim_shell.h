// Starting programs on the device. Every program runs under zelko-launch, which writes
// its launch and exit to the journal even when the starter does not wait for it.
#pragma once

#include <filesystem>

#include "platform/shell.h"
#include "platform/sim/db.h"
#include "platform/sim/journal.h"
#include "platform/sim/sim_files.h"

namespace zelko::platform::sim {

// How the running program was started: set by zelko-launch, or taken from argv when a
// program is run by hand.
struct ProgramIdentity {
  std::string commandLine;
  std::string modulePath;  // device path; empty for a program outside the device
};
// Reads (and clears, so that children do not inherit it) what zelko-launch handed over.
ProgramIdentity takeProgramIdentity(int argc, char** argv, const SimFiles& files);

class SimShell final : public Shell {
 public:
  SimShell(std::filesystem::path deviceDir, SimFiles& files, Journal& journal, Database& db,
           ProgramIdentity self)
      : deviceDir_(std::move(deviceDir)), files_(files), journal_(journal), db_(db),
        self_(std::move(self)) {}
  static Status createSchema(Database& db);

  Result<ExecResult> execute(const ExecRequest& request) override;
  std::string commandLine() override { return self_.commandLine; }
  std::string modulePath() override { return self_.modulePath; }
  Result<std::string> specialFolder(SpecialFolder folder) override;
  Status runAtTime(std::string_view file, std::optional<DateTime> when) override;

  // Removes and returns the timed starts due at or before `localNow`, oldest first.
  Result<std::vector<std::string>> takeDueStarts(const DateTime& localNow);

  // The device path that `file` names, as execute would find it; nullopt when none.
  std::optional<std::string> resolve(std::string_view file);

 private:
  Result<ExecResult> startProgram(const std::string& asked, const std::string& devicePath,
                                  const ExecRequest& request);

  std::filesystem::path deviceDir_;
  SimFiles& files_;
  Journal& journal_;
  Database& db_;
  ProgramIdentity self_;
};

}  // namespace zelko::platform::sim
