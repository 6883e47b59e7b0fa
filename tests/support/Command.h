// Runs a shell command and returns what it wrote to standard output (empty when it cannot run).
#pragma once

#include <string>

namespace test_support {

std::string runCommand(const std::string &command);

}  // namespace test_support
