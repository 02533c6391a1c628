// A whole bootstrap on a fresh simulated machine: the test lays out media
// and a machine description, runs the program and looks at what happened.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "boot_state.h"
#include "host_machine.h"

namespace scenario {

// Bytes that the simulated machine accepts as a program.
inline const std::string kProgram = std::string("MZ") + std::string(62, '\0') + "main setup";

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A line under [Machine] of machine.ini (e.g. "Version=6.2").
  void Machine(const std::string& line) { machine_ += line + "\r\n"; }
  void MachineSection(const std::string& text) { extra_ += text; }
  void ClearMachine() { machine_.clear(); extra_.clear(); }
  // A fresh machine for the next case of a table: no files, no description.
  void Reset();
  // A file of the machine, by Windows path.
  void Put(const std::string& windowsPath, const std::string& content);
  // The program's own setup list, D:\SETUP.LST by default.
  void List(const std::string& text) { Put("D:\\SETUP.LST", text); }
  // A compressed main setup program on the media.
  void PutCompressed(const std::string& windowsPath, const std::string& content);
  // A file last written at noon on January 1 of `year` (UTC).
  void PutDated(const std::string& windowsPath, const std::string& content, int year);
  // A file of another disk, waiting in disks/N until the run asks for it.
  void PutOnDisk(int disk, const std::string& name, const std::string& content);

  int Run();
  // A run through the fault-injecting platform: the nth call of
  // `operation` fails once with `error`.
  int RunWithFault(const std::string& operation, int n, std::uint32_t error);
  // Writes machine.ini and makes the machine, without running.
  void NewMachine();
  // Run state on the machine made last, for calling one phase on its own:
  // Windows directories, media in D:\, the version library loaded.
  void PrepareState(boot::BootState& state);

  host::HostMachine& Host() { return *host_; }
  bool Exists(const std::string& windowsPath) const;
  std::string Read(const std::string& windowsPath) const;
  std::filesystem::path Path(const std::string& windowsPath) const;
  // Journal lines that start with `prefix`.
  std::vector<std::string> Journal(const std::string& prefix) const;
  // The run's log section; empty when nothing was logged.
  std::vector<std::pair<std::string, std::string>> Log() const;
  std::vector<std::string> LogKeys() const;
  std::optional<std::string> LogValue(const std::string& key) const;

  std::filesystem::path root_;

 private:
  std::string machine_;
  std::string extra_;
  std::unique_ptr<host::HostMachine> host_;
};

}  // namespace scenario
