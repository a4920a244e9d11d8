#pragma once
/// \brief Where the running program finds its data files (report.css, projector.bmp, the help pages):
/// beside the executable in a build tree, or in the shared data folder of an installed tree.

#include <filesystem>
#include <string>

namespace plotra {

/// The shared data folder relative to the folder of an installed executable ("../share/plotra" for
/// the usual bin/ and share/ layout; the build sets it from its install directories).
std::filesystem::path InstalledResourceDirFromBinDir();

/// The resource folder for an executable in \p exeDir: `exeDir/resources` when it holds report.css
/// (a build tree), else `exeDir/<InstalledResourceDirFromBinDir()>` when that holds it (an installed
/// tree), else `exeDir/resources` (what the messages then name). The result is lexically normal.
std::filesystem::path FindResourceDir(const std::filesystem::path& exeDir);

/// FindResourceDir for the running executable (/proc/self/exe, symbolic links resolved); empty when
/// the executable's path cannot be had.
std::string ProgramResourceDir();

} // namespace plotra
