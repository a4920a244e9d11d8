#include "cli/CliSupport.h"

#include "model/PlotraDoc.h"

#include <cctype>

#include <sys/resource.h>
#include <unistd.h>

namespace plotra::cli {

void CliPrompts::message(const std::string& text, const std::string& caption, PromptIcon) {
    ++m_messages;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool CliPrompts::askYesNo(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s [%s]\n", caption.c_str(), text.c_str(), m_answerYes ? "Yes" : "No");
    return m_answerYes;
}

CliProgress::CliProgress() : m_tty(isatty(STDERR_FILENO) != 0) {}

void CliProgress::setPosition(int percent) {
    if (percent == m_percent) return;
    m_percent = percent;
    Draw();
}

void CliProgress::setText(const std::string& text) {
    m_text = text;
    Draw();
}

void CliProgress::hide() {
    if (m_tty && m_percent >= 0) std::fprintf(stderr, "\r\033[K");
    m_percent = -1;
}

void CliProgress::Draw() {
    if (!m_tty) return;
    const int p = m_percent < 0 ? 0 : (m_percent > 100 ? 100 : m_percent);
    char bar[31];
    for (int i = 0; i < 30; ++i) bar[i] = i < p * 30 / 100 ? '#' : '.';
    bar[30] = '\0';
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar, p, m_text.c_str());
    std::fflush(stderr);
}

std::string NormalisedMac(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ':' || c == '-')
            out += '-';
        else
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

int FindApByMac(const CPlotraDoc& doc, std::string mac) {
    mac = NormalisedMac(mac);
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (doc.Aps().m_aAPs[i].MacText() == mac) return static_cast<int>(i);
    return -1;
}

void StageMeter::Start() {
    // A fresh high-water mark for this stage (the kernel resets it on "5"; harmless where it cannot).
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
    m_start = std::chrono::steady_clock::now();
    m_cpuStart = CpuSeconds();
}

void StageMeter::End(const char* name) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    m_stages.push_back({name, seconds, CpuSeconds() - m_cpuStart, PeakMB()});
}

double StageMeter::CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double StageMeter::PeakMB() {
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kb = -1;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
        std::fclose(f);
        if (kb >= 0) return kb / 1024.0;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int UsageError(const std::string& text) {
    std::fprintf(stderr, "plotra-cli: %s\nRun 'plotra-cli help' for usage.\n", text.c_str());
    return kExitUsage;
}

} // namespace plotra::cli
