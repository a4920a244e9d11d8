#pragma once
/// \brief Loading survey files as a job: the files are read and their points placed in a document
/// of the job's own that carries only the map's projection and the reader's settings; the live
/// project takes the result over by moves once the job has ended, and only when a file was read.
/// The synchronous commands (CPlotraDoc::LoadSurveyFiles, ReplaceSurveyFiles) go through the same
/// steps on the calling thread, so there is one reading and one placing.

#include "model/Interfaces.h"
#include "model/Job.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

class CPlotraDoc;

/// \brief A message the reader gave while it read, shown on the document's thread afterwards.
struct LoadMessage {
    std::string text, caption;
    PromptIcon icon = PromptIcon::Stop;
};

/// \brief Keeps the messages of work done off the document's thread, for that thread to show.
class LoadMessageLog : public UserPrompts {
  public:
    explicit LoadMessageLog(std::vector<LoadMessage>& out) : m_out(out) {}
    void message(const std::string& text, const std::string& caption, PromptIcon icon) override {
        m_out.push_back({text, caption, icon});
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }

  private:
    std::vector<LoadMessage>& m_out;
};

/// Shows \p messages through the document's prompts, in order.
void ShowLoadMessages(const CPlotraDoc& doc, const std::vector<LoadMessage>& messages);

/// \brief What reading and placing made of the chosen files.
struct LoadedSurvey {
    enum Status { Read, NoneRead, Cancelled };
    Status status = NoneRead;
    /// The job's document: the files with their ticks as read (a refused file is unticked) and, when
    /// Read, the points, APs and paths placed on the map. Not set when Cancelled.
    std::unique_ptr<CPlotraDoc> doc;
    std::vector<LoadMessage> messages; ///< in the order the reader gave them
    LoadedSurvey();
    LoadedSurvey(LoadedSurvey&&) noexcept;
    LoadedSurvey& operator=(LoadedSurvey&&) noexcept;
    ~LoadedSurvey();
};

/// A document for the loading of \p files: the projection, map size and reader settings of \p doc,
/// nothing of its survey. Made on the document's thread; the loading may then go elsewhere.
std::unique_ptr<CPlotraDoc> SurveyLoadDocument(const CPlotraDoc& doc, std::vector<CDataFile> files,
                                               bool merge);

/// Reads every ticked file of \p scratch and places the points (any thread; touches nothing else).
/// \p progress (may be null) is told the position and asked for a Cancel between records.
LoadedSurvey ReadAndPlaceSurvey(std::unique_ptr<CPlotraDoc> scratch, Progress* progress);

/// The end of a new project on the document's thread: the reader's messages are shown; when no file
/// was read the project is left exactly as it was and "None of the chosen survey files could be
/// read…" is said, otherwise the project takes the files, points, APs and paths, is no longer the
/// workspace it was saved as; the caller then starts its processing. True when replaced.
bool FinishSurveyReplace(CPlotraDoc& doc, LoadedSurvey&& loaded);

/// The end of reading the project's own files again (on a new map), on the document's thread: the
/// reader's messages are shown; when no file was read the project keeps its data and only the refused
/// files lose their ticks, otherwise it takes the points, APs and paths (the caller then starts
/// their processing). True when taken.
bool FinishSurveyReload(CPlotraDoc& doc, LoadedSurvey&& loaded);

/// The refusals of New Project: the table window is shown, or a job runs.
bool RefuseNewProject(CPlotraDoc& doc);

/// The steps of New Project after the question about unsaved changes: the offer to load a map
/// first, the survey file selection, and the refusal of a selection without a ticked file.
/// A Yes to the offer of a map ends the command with \p loadMap (the command "Load the map").
std::optional<SurveySelection> ChooseNewProjectFiles(CPlotraDoc& doc, const std::function<void()>& loadMap);

using SurveyLoadJob = Job<LoadedSurvey>;

/// Starts reading \p files as a job. The live project is not read by the job; its edits are refused
/// until the job is applied, since the result replaces it.
std::unique_ptr<SurveyLoadJob> StartSurveyLoadJob(CPlotraDoc& doc, std::vector<CDataFile> files, bool merge,
                                                  Progress& progress, std::function<void()> finished = {});

/// Applies a finished loading job (FinishSurveyReplace). Cancelled, failed, or cancelled after the
/// reading but before this (\p progress asked), the project stays exactly as it was. True when replaced.
bool ApplySurveyLoadJob(CPlotraDoc& doc, SurveyLoadJob& job, const Progress* progress = nullptr);

/// \brief While one lives on a thread, the survey reader and the placing on that thread report their
/// position to \p progress and stop at its Cancel (they throw LoadCancelled). Elsewhere they run
/// without either.
class SurveyLoadProgress {
  public:
    struct LoadCancelled {};
    SurveyLoadProgress(Progress* progress, std::uint64_t totalBytes);
    ~SurveyLoadProgress();
    SurveyLoadProgress(const SurveyLoadProgress&) = delete;
    SurveyLoadProgress& operator=(const SurveyLoadProgress&) = delete;

    /// The next file starts; \p bytes is its size.
    static void StartFile(std::uint64_t bytes);
    /// The reader is at byte \p position of the current file.
    static void Reading(std::uint64_t position);
    /// The placing is at \p done of \p total steps.
    static void Placing(std::uint64_t done, std::uint64_t total);

  private:
    static void Report(int percent);
    Progress* m_progress;
    std::uint64_t m_totalBytes;
    std::uint64_t m_bytesBefore = 0, m_fileBytes = 0;
    int m_lastPercent = -1;
    SurveyLoadProgress* m_previous;
};

} // namespace plotra
