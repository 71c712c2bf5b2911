#pragma once

#include <string>
#include <utility>
#include <vector>

namespace clinova {

// The scripts of schema/, in file-name order, built into the program: (file name, text).
const std::vector<std::pair<std::string, std::string>> &SchemaScripts();

} // namespace clinova
