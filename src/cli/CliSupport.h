#pragma once
/// \brief What every plotra-cli command shares: the argument cursor, prompts on stderr and exit codes.

#include "model/Interfaces.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace plotra {
class CPlotraDoc;
class JsonWriter;
struct MapImportOutcome;
}

namespace plotra::cli {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

/// \brief Messages as "Caption: text" lines on stderr; questions take their default answer, or Yes
/// with --yes.
class CliPrompts : public UserPrompts {
public:
    explicit CliPrompts(bool answerYes = false) : m_answerYes(answerYes) {}
    void message(const std::string& text, const std::string& caption, PromptIcon) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    int MessageCount() const { return m_messages; }

private:
    bool m_answerYes;
    int m_messages = 0;
};

/// \brief Progress as a bar on stderr when it is a terminal; silent otherwise.
class CliProgress : public Progress {
public:
    CliProgress();
    void setPosition(int percent) override;
    void setText(const std::string& text) override;
    void hide() override;

private:
    void Draw();
    bool m_tty;
    int m_percent = -1;
    std::string m_text;
};

/// \brief Time and largest resident memory of each stage of a command. The peak of a stage is the
/// process' high-water mark reset at the stage's start (Linux; the process' own peak is then the
/// largest of the stages', not what getrusage reports at the end); elsewhere the peak so far.
class StageMeter {
public:
    struct Stage {
        const char* name;
        double seconds;
        double cpuSeconds; ///< user and system time of every thread of the process
        double peakMB;
    };
    void Start();
    void End(const char* name);
    const std::vector<Stage>& Stages() const { return m_stages; }
    /// The process' high-water mark of resident memory in megabytes (since the last reset).
    static double PeakMB();
    /// User and system time the process has used so far, in seconds.
    static double CpuSeconds();

private:
    std::chrono::steady_clock::time_point m_start;
    double m_cpuStart = 0.0;
    std::vector<Stage> m_stages;
};

/// Prints a usage error and returns kExitUsage.
int UsageError(const std::string& text);

int RunInfo(const std::vector<std::string>& args);
int RunSimulate(const std::vector<std::string>& args);
int RunCapture(const std::vector<std::string>& args);
int RunImportWigle(const std::vector<std::string>& args);
int RunReliability(const std::vector<std::string>& args);
int RunRelocate(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);

/// MAC text in the "%02X-" form from the user's spelling (either separator, either case).
std::string NormalisedMac(const std::string& text);
/// Index of the AP with this MAC ("AA-BB-..." or "aa:bb:..."), or -1.
int FindApByMac(const CPlotraDoc& doc, std::string mac);
int RunAnalyze(const std::vector<std::string>& args);
int RunMakeMap(const std::vector<std::string>& args);
/// make-map with --scale: a floor plan (picture or PDF page) placed by a scale, north and corner.
int RunMakeFloorPlan(const std::vector<std::string>& args);

/// The document's map picture importer for analyze --map: a georeferenced picture in the form of a
/// decoded projection file; Refused, with the refusal said, when it cannot be used.
MapImportOutcome ImportMapPicture(const std::string& path, UserPrompts& prompts);
/// Summarises a georeferenced picture (size, coordinate system, fit) without reading its pixels;
/// false, with the refusal said, when it cannot be used as a map.
bool InfoImage(const std::string& path, CliPrompts& prompts, JsonWriter& json, bool asJson);

} // namespace plotra::cli
