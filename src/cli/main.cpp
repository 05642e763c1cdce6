// korvat-cli: the game engine behind a scripted, headless platform.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return korvat::cli::run(args, stdout, stderr);
}
