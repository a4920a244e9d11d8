#include "capture/LiveScanSource.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace plotra::capture {

namespace {

constexpr char kHelperName[] = "plotra-scan-trigger";

bool IsExecutable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string FindScanTriggerHelper() {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string dir(self, static_cast<std::size_t>(n));
        dir.erase(dir.rfind('/') + 1);
        if (IsExecutable(dir + kHelperName)) return dir + kHelperName;
    }
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
        if (!dir.empty() && IsExecutable(dir + "/" + kHelperName)) return dir + "/" + kHelperName;
    }
    return {};
}

bool HelperScanTrigger::Request(const std::string& interfaceName, std::string* why) {
    std::string helper = m_helper, name = interfaceName;
    char* argv[] = {helper.data(), name.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, helper.c_str(), nullptr, nullptr, argv, environ) != 0) {
        if (why) *why = "cannot run " + m_helper;
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (why) *why = m_helper + " refused the scan";
    return false;
}

} // namespace plotra::capture
