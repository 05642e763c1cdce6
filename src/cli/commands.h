// The commands of korvat-cli, callable from tests with their own streams.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace korvat::cli {

// Runs one command line (without the program name). Returns the exit
// status: 0 on success, 2 on bad input (one line on `err`, nothing on `out`).
int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace korvat::cli
