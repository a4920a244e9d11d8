// plotra-cli: the Plotra pipeline without windows.
#include "app/cli/CliSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  plotra-cli info FILE... [--json]\n"
    "      Summary of survey data (.hsd), projection (.hpf) and workspace (.hws) files.\n"
    "  plotra-cli simulate SCENARIO OUTDIR [--seed N]\n"
    "      Write synthetic survey files, a map (SCENARIO.hpf) and truth.json.\n"
    "      Scenarios: demo, city, tiny, single.\n"
    "  plotra-cli import-wigle IN.csv... OUT.hsd [--noise DBM]\n"
    "      Convert WiGLE CSV wardriving logs (appended in order) into one survey data file.\n"
    "      --noise sets the noise floor written for every channel (default -95 dBm).\n"
    "  plotra-cli reliability WORKSPACE.hws (--ap MAC | --group) --threshold DBM\n"
    "             (--radius R | --probability P) [--json]\n"
    "      Cell and boundary reliability for a radius (display units), or the radius for a\n"
    "      boundary reliability, as the control panel shows them (\"%1.4f\" or \"N/A\").\n"
    "  plotra-cli analyze SURVEY... [--map MAP.hpf] [--no-merge] [--unit m|ft]\n"
    "           [--select valid|all|MAC[,MAC...]] [--resolution X[,Y]] [--no-coverage]\n"
    "           [--workspace OUT.hws] [--json] [--yes]\n"
    "      Load survey files (on the map if given), fit every AP's propagation model and position,\n"
    "      and report them. --select valid (default) ticks the APs with more than 20 points.\n"
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
    if (command == "import-wigle") return RunImportWigle(args);
    if (command == "reliability") return RunReliability(args);
    if (command == "analyze") return RunAnalyze(args);
    return UsageError("unknown command '" + command + "'");
}
