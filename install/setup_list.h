// The list of bootstrap files in its three forms, turned into file records
// of the run: its form settled, its names checked, the main setup program
// put in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boot_state.h"
#include "list_forms.h"
#include "run_files.h"

namespace boot {


// Settles the list form, records the main setup program and copies it (or
// the sectioned list) into place. False when the run has ended.
bool ReadSetupList(BootState& state);

// Where a record's file is installed, by its DestCode.
std::string DestinationDirectory(const BootState& state, int destCode);

// Reads the records of the own or sectioned list. False when the run has
// ended.
bool CollectEntries(BootState& state);

}  // namespace boot
