// plotra-cli: the Plotra pipeline without windows.
#include "app/cli/CliSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  plotra-cli info FILE... [--json]\n"
    "      Summary of survey data files (.hsd) and projection files (.hpf).\n"
    "  plotra-cli simulate SCENARIO OUTDIR [--seed N]\n"
    "      Write synthetic survey files, a map (SCENARIO.hpf) and truth.json.\n"
    "      Scenarios: demo, city, tiny, single.\n"
    "  plotra-cli help\n"
    "\n"
    "Exit status: 0 success, 1 the work failed (a refused file, nothing readable), 2 usage error.\n"
    "Messages appear on stderr as 'Caption: text'.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace plotra::cli;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "info") return RunInfo(args);
    if (command == "simulate") return RunSimulate(args);
    return UsageError("unknown command '" + command + "'");
}
