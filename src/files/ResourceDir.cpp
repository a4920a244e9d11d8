#include "files/ResourceDir.h"

#include <system_error>

// The build passes the installed layout; this default matches GNU install directories.
#ifndef PLOTRA_DATA_FROM_BINDIR
#define PLOTRA_DATA_FROM_BINDIR "../share/plotra"
#endif

namespace plotra {

namespace fs = std::filesystem;

namespace {

/// report.css marks a complete resource folder: both programs need it, and the help pages sit beside it.
bool HoldsResources(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(dir / "report.css", ec);
}

} // namespace

fs::path InstalledResourceDirFromBinDir() {
    return fs::path(PLOTRA_DATA_FROM_BINDIR);
}

fs::path FindResourceDir(const fs::path& exeDir) {
    const fs::path buildTree = (exeDir / "resources").lexically_normal();
    if (HoldsResources(buildTree)) return buildTree;
    const fs::path installed = (exeDir / InstalledResourceDirFromBinDir()).lexically_normal();
    if (HoldsResources(installed)) return installed;
    return buildTree;
}

std::string ProgramResourceDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return FindResourceDir(exe.parent_path()).string();
}

} // namespace plotra
