#pragma once
/// \brief Runs plotra-cli as a user would (only for the command-line tests, which define PLOTRA_CLI).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace plotra::test {

struct CliResult {
    int status = -1; ///< exit status, -1 when the program did not exit normally
    std::string out;
    std::string err;
};

/// Runs "plotra-cli ARGS" through the shell and collects its exit status, stdout and stderr.
inline CliResult RunPlotraCli(const std::string& args) {
    static int counter = 0;
    const std::string errFile = (std::filesystem::temp_directory_path() /
                                 ("plotra-cli-err-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
                                    .string();
    CliResult r;
    const std::string cmd = std::string(PLOTRA_CLI) + " " + args + " 2>" + errFile;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::ifstream in(errFile);
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    std::error_code ec;
    std::filesystem::remove(errFile, ec);
    return r;
}

/// RunPlotraCli that also leaves the program's stderr in \p errFile.
inline CliResult RunPlotraCliTo(const std::string& args, const std::string& errFile) {
    CliResult r = RunPlotraCli(args);
    std::ofstream(errFile) << r.err;
    return r;
}

} // namespace plotra::test
