#pragma once
// File > Open > Inbound and Outbound: the user picks files, each is read on its own.

#include "core/Services.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace vt::folders {

// Logs the command, asks for files and loads them with `direction` ("I" or "O").
void OpenInterchangeFiles(const core::Services& s, std::string_view direction);

// Loads each path in order; a refused file costs only its own "Error" History row.
void LoadInterchangeFiles(const core::Services& s, const std::vector<std::filesystem::path>& files,
                          std::string_view direction);

}  // namespace vt::folders
