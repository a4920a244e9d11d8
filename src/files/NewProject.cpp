// The new-project flow: choosing the survey files, reading the ticked ones, building the access
// points and the walk path of every file, placing everything on the map when one is loaded, and
// asking for the processing.
#include "files/NewProject.h"
#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "files/SurveyLoadJob.h"
#include "files/WigleCsv.h"
#include "model/EditAccess.h"
#include "model/PathMerger.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>

namespace plotra {

namespace {

std::uint64_t MacKey(const std::array<std::uint8_t, 6>& mac) {
    std::uint64_t k = 0;
    for (std::uint8_t b : mac)
        k = (k << 8) | b;
    return k;
}

void ConvertToMap(const CPlotraDoc& doc, std::vector<CData>& list) {
    for (CData& p : list) {
        const CDataGeo g = doc.GeoToMap(p.m_dY, p.m_dX);
        p.m_dY = g.m_dY;
        p.m_dX = g.m_dX;
    }
}

void ConvertToMap(const CPlotraDoc& doc, SampleList& list) {
    SampleList converted;
    converted.reserve(list.size());
    for (CData p : list) {
        const CDataGeo g = doc.GeoToMap(p.m_dY, p.m_dX);
        p.m_dY = g.m_dY;
        p.m_dX = g.m_dX;
        converted.push_back(p);
    }
    list = std::move(converted);
}

constexpr const char* kNewProjectCaption = "New Project";
constexpr const char* kNothingToLoad = "No survey file is ticked. The project is unchanged.";
constexpr const char* kNoneRead = "None of the chosen survey files could be read. The project is unchanged.";

void ForgetPlacedSurvey(CPlotraDoc& d);
void PlaceReadPoints(CPlotraDoc& d);

/// The loaded survey replaces the project's (moves only): its files, points, APs and paths, with the
/// display reset a new survey gets; then the processing is asked for.
void AdoptLoadedSurvey(CPlotraDoc& doc, CPlotraDoc& from) {
    SurveyInput& survey = Edit::Survey(doc);
    SurveyInput& read = Edit::Survey(from);
    survey.m_aFiles = std::move(read.m_aFiles);
    survey.m_bMerge = read.m_bMerge;
    survey.m_aDataPoints = std::move(read.m_aDataPoints);
    survey.m_aFilePointCount = std::move(read.m_aFilePointCount);
    survey.m_aApMarkers = std::move(read.m_aApMarkers);
    survey.m_strSurveyTime = read.m_strSurveyTime;
    survey.m_strCurrentFile = read.m_strCurrentFile;
    survey.m_bNoData = 0;

    DisplaySettings& display = Edit::Display(doc);
    display.m_panel.m_bExpandMeasurement = display.m_panel.m_bExpandSorting = display.m_panel.m_bExpandReliability = 0;
    doc.Host().setShowDirections(false);
    display.m_bShowLegend = 0;
    display.m_bCombined = 0;
    Edit::Coverage(doc).m_bCoverageReady = 0;

    // What placing the points makes, placed by the same code on the loading's document.
    ForgetPlacedSurvey(doc);
    SurveyPath& path = Edit::Path(doc);
    SurveyPath& placed = Edit::Path(from);
    path.m_aPoints = std::move(placed.m_aPoints);
    path.m_aGpsState = std::move(placed.m_aGpsState);
    path.m_aAltitude = std::move(placed.m_aAltitude);
    path.m_aVelocity = std::move(placed.m_aVelocity);
    path.m_aFilePathCount = std::move(placed.m_aFilePathCount);
    survey.m_aFileColor = std::move(read.m_aFileColor);
    Edit::Aps(doc).m_aAPs = std::move(Edit::Aps(from).m_aAPs);
    Edit::Aps(doc).m_nHue = from.Aps().m_nHue;
    Edit::Map(doc).m_bMetricXY = from.Map().m_bMetricXY;
    // Taken over while the table window is shown, the new survey is what the switch back restores.
    doc.RefreshTableSwitch();
    doc.Notify(DocChange::Everything);
    doc.Host().setTitle("");
    display.m_bStarted = 1;
}

} // namespace

bool AddSurveyFile(std::vector<CDataFile>& files, const std::string& path, UserPrompts& prompts) {
    CDataFile file;
    file.m_strPath = AbsolutePath(path);
    file.m_strName = FileTitle(path);
    // The same path twice (byte for byte; another spelling is another file) is refused.
    for (const CDataFile& f : files)
        if (f.m_strPath == file.m_strPath) {
            prompts.message("This file has been selected!", "Invalid File", PromptIcon::Stop);
            return false;
        }
    files.push_back(std::move(file));
    return true;
}

// ---- the loading's progress ---------------------------------------------------------------------------

namespace {
thread_local SurveyLoadProgress* t_loadProgress = nullptr;
/// Reading takes this share of the bar, placing the rest.
constexpr int kReadingShare = 40;
} // namespace

SurveyLoadProgress::SurveyLoadProgress(Progress* progress, std::uint64_t totalBytes)
    : m_progress(progress), m_totalBytes(std::max<std::uint64_t>(1, totalBytes)), m_previous(t_loadProgress) {
    t_loadProgress = this;
}

SurveyLoadProgress::~SurveyLoadProgress() {
    t_loadProgress = m_previous;
}

void SurveyLoadProgress::StartFile(std::uint64_t bytes) {
    SurveyLoadProgress* p = t_loadProgress;
    if (!p) return;
    p->m_bytesBefore += p->m_fileBytes;
    p->m_fileBytes = bytes;
}

void SurveyLoadProgress::Reading(std::uint64_t position) {
    const SurveyLoadProgress* p = t_loadProgress;
    if (!p) return;
    const std::uint64_t done = p->m_bytesBefore + std::min(position, p->m_fileBytes);
    Report(static_cast<int>(kReadingShare * std::min(done, p->m_totalBytes) / p->m_totalBytes));
}

void SurveyLoadProgress::Placing(std::uint64_t done, std::uint64_t total) {
    if (!t_loadProgress) return;
    total = std::max<std::uint64_t>(1, total);
    Report(kReadingShare + static_cast<int>((100 - kReadingShare) * std::min(done, total) / total));
}

void SurveyLoadProgress::Report(int percent) {
    SurveyLoadProgress* p = t_loadProgress;
    if (!p->m_progress) return;
    if (p->m_progress->cancelRequested()) throw LoadCancelled{};
    if (percent != p->m_lastPercent) {
        p->m_lastPercent = percent;
        p->m_progress->setPosition(percent);
    }
}

// ---- new project ----------------------------------------------------------------------------------

bool RefuseNewProject(CPlotraDoc& doc) {
    if (doc.Display().m_bTableWindowActive) {
        doc.Prompts().message("Please Select Graph Window", "Invalid Window", PromptIcon::Stop);
        return true;
    }
    return doc.RefuseWhileBusy();
}

std::optional<SurveySelection> ChooseNewProjectFiles(CPlotraDoc& doc, const std::function<void()>& loadMap) {
    if (!doc.Map().m_bMapLoaded &&
        doc.Prompts().askYesNo("No projection file is detected. Do you want to input projection file first?",
                               "No Projection File")) {
        loadMap();
        return std::nullopt;
    }
    // A second "New Project" starts from the current files and their ticks.
    std::optional<SurveySelection> chosen =
        doc.Prompts().chooseSurveyFiles(doc.Survey().m_aFiles, doc.Survey().m_bMerge != 0);
    if (!chosen) return std::nullopt;
    if (std::none_of(chosen->files.begin(), chosen->files.end(),
                     [](const CDataFile& f) { return f.m_bUse; })) {
        doc.Prompts().message(kNothingToLoad, kNewProjectCaption, PromptIcon::Stop);
        return std::nullopt;
    }
    return chosen;
}

bool CPlotraDoc::OnNewDocument() {
    // The framework's call at start-up only marks the document as started.
    if (!m_bStarted) {
        m_bStarted = 1;
        return true;
    }
    if (RefuseNewProject(*this) || !SaveModified()) return false;
    std::optional<SurveySelection> chosen = ChooseNewProjectFiles(*this, [this] { OpenProjectionFile(); });
    return chosen && ReplaceSurveyFiles(std::move(chosen->files), chosen->merge);
}

bool CPlotraDoc::ReplaceSurveyFiles(std::vector<CDataFile> files, bool merge) {
    if (RefuseWhileBusy()) return false;
    if (!FinishSurveyReplace(*this, ReadAndPlaceSurvey(SurveyLoadDocument(*this, std::move(files), merge), nullptr)))
        return false;
    RunProcessing();
    return true;
}

void CPlotraDoc::SetSurveyFiles(std::vector<CDataFile> files, bool merge) {
    m_aFiles = std::move(files);
    m_bMerge = merge ? 1 : 0;
    Notify(DocChange::Files);
}

SurveyReadResult CPlotraDoc::ReadOneSurveyFile(const std::string& path) {
    m_strCurrentFile = path; // the name the reader's messages give
    // A refused file leaves nothing behind.
    const std::size_t points = m_aDataPoints.size(), counts = m_aFilePointCount.size(),
                      markers = m_aApMarkers.size();
    auto refuse = [&] {
        m_aDataPoints.resize(points);
        m_aFilePointCount.resize(counts);
        m_aApMarkers.resize(markers);
        return SurveyReadResult::Invalid;
    };
    {
        // A survey file is read as it streams in: its bytes and the points made from them are never
        // in memory together.
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
        if (!file) return SurveyReadResult::CannotOpen;
        std::uint8_t head[8] = {};
        const std::size_t got = std::fread(head, 1, sizeof head, file.get());
        if (got == sizeof head && HasSurveyMagic(std::span<const std::uint8_t>(head, sizeof head))) {
            std::error_code error;
            const auto size = std::filesystem::file_size(path, error);
            if (error) return SurveyReadResult::CannotOpen;
            const std::optional<bool> read = ReadSurveyFileFrom(file.get(), size);
            if (!read || !*read) return refuse();
            return SurveyReadResult::Ok;
        }
    }
    // A wardriving log (recognised by its content, whatever its name) is read through the survey
    // file it converts to.
    const FileBytes file = ReadWholeFile(path);
    if (file.status != ReadStatus::Ok) return SurveyReadResult::CannotOpen;
    if (!LooksLikeWigleCsv(file.bytes)) return SurveyReadResult::Invalid;
    WigleImportOptions options;
    options.noiseFloorDbm = m_nWigleNoiseFloor;
    WigleImportResult result;
    auto survey = WigleCsvToSurveyFile(file.bytes, options, &result);
    if (const std::string skipped = WigleSkipSummary(result.counts); !skipped.empty())
        Prompts().message(path + ": " + skipped, "WiGLE Import", PromptIcon::Information);
    if (!survey || !ReadSurveyFile(*survey)) return refuse();
    return SurveyReadResult::Ok;
}

bool CPlotraDoc::LoadSurveyFiles() {
    if (!PlaceSurveyFiles()) return false;
    RunProcessing();
    return true;
}

bool CPlotraDoc::PlaceSurveyFiles() {
    // A running job holds the APs until its result is applied.
    if (RefuseWhileBusy()) return false;
    return FinishSurveyReload(*this,
                              ReadAndPlaceSurvey(SurveyLoadDocument(*this, m_aFiles, m_bMerge != 0), nullptr));
}

void CPlotraDoc::BuildAccessPoints() {
    if (m_bJobRunning) return;
    PlaceSurveyPoints();
    Notify(DocChange::Everything);
}

void CPlotraDoc::PlaceSurveyPoints() {
    ForgetPlacedSurvey(*this);
    PlaceReadPoints(*this);
}

// ---- the loading, on any thread -------------------------------------------------------------------

LoadedSurvey::LoadedSurvey() = default;
LoadedSurvey::LoadedSurvey(LoadedSurvey&&) noexcept = default;
LoadedSurvey& LoadedSurvey::operator=(LoadedSurvey&&) noexcept = default;
LoadedSurvey::~LoadedSurvey() = default;

std::unique_ptr<CPlotraDoc> SurveyLoadDocument(const CPlotraDoc& doc, std::vector<CDataFile> files,
                                               bool merge) {
    auto scratch = std::make_unique<CPlotraDoc>();
    Edit::Survey(*scratch).m_aFiles = std::move(files);
    Edit::Survey(*scratch).m_bMerge = merge ? 1 : 0;
    // What the placing converts positions with (GeoToMap) and whether there is a map to convert to.
    Edit::Map(*scratch).m_adProj = doc.Map().m_adProj;
    Edit::Map(*scratch).m_byProjType = doc.Map().m_byProjType;
    Edit::Map(*scratch).m_nImageWidth = doc.Map().m_nImageWidth;
    Edit::Map(*scratch).m_nImageHeight = doc.Map().m_nImageHeight;
    Edit::Map(*scratch).m_nMapImageSize = doc.Map().m_nMapImageSize;
    Edit::Map(*scratch).m_dMetersPerPixelX = doc.Map().m_dMetersPerPixelX;
    Edit::Map(*scratch).m_dMetersPerPixelY = doc.Map().m_dMetersPerPixelY;
    Edit::Survey(*scratch).m_nWigleNoiseFloor = doc.Survey().m_nWigleNoiseFloor;
    Edit::Survey(*scratch).m_strCurrentFile = doc.Survey().m_strCurrentFile;
    Edit::Survey(*scratch).m_strSurveyTime = doc.Survey().m_strSurveyTime;
    return scratch;
}

LoadedSurvey ReadAndPlaceSurvey(std::unique_ptr<CPlotraDoc> scratch, Progress* progress) {
    LoadedSurvey out;
    CPlotraDoc& doc = *scratch;
    LoadMessageLog log(out.messages);
    doc.SetOutside(&log, nullptr, nullptr);
    std::uint64_t total = 0;
    for (const CDataFile& file : doc.Survey().m_aFiles)
        if (file.m_bUse) {
            std::error_code error;
            const auto size = std::filesystem::file_size(file.m_strPath, error);
            if (!error) total += size;
        }
    try {
        SurveyLoadProgress scope(progress, total);
        bool anyRead = false;
        for (CDataFile& file : Edit::Survey(doc).m_aFiles) {
            Edit::Survey(doc).m_strCurrentFile = file.m_strPath;
            if (!file.m_bUse) continue;
            std::error_code error;
            const auto size = std::filesystem::file_size(file.m_strPath, error);
            SurveyLoadProgress::StartFile(error ? 0 : size);
            switch (doc.ReadOneSurveyFile(file.m_strPath)) {
            case SurveyReadResult::CannotOpen:
                log.message("Could not open file \"" + file.m_strPath + "\".", "File Open Error",
                            PromptIcon::Stop);
                file.m_bUse = 0;
                break;
            case SurveyReadResult::Invalid:
                log.message("File is not a valid HSD file: \"" + file.m_strPath + "\".", "Invalid File",
                            PromptIcon::Stop);
                file.m_bUse = 0;
                break;
            case SurveyReadResult::Ok:
                file.m_strCreated = doc.Survey().m_strSurveyTime;
                anyRead = true;
                break;
            }
        }
        if (anyRead) doc.PlaceSurveyPoints();
        out.status = anyRead ? LoadedSurvey::Read : LoadedSurvey::NoneRead;
    } catch (const SurveyLoadProgress::LoadCancelled&) {
        out.status = LoadedSurvey::Cancelled;
        out.messages.clear();
        return out;
    }
    doc.SetOutside(nullptr, nullptr, nullptr);
    out.doc = std::move(scratch);
    return out;
}

// ---- taking the result over, on the document's thread -------------------------------------------------

bool FinishSurveyReplace(CPlotraDoc& doc, LoadedSurvey&& loaded) {
    if (loaded.status == LoadedSurvey::Cancelled) return false;
    ShowLoadMessages(doc, loaded.messages);
    // The project is replaced only when one of the chosen files could be read; otherwise it keeps
    // its own files as well as its data.
    if (loaded.status != LoadedSurvey::Read || !loaded.doc) {
        doc.Prompts().message(kNoneRead, kNewProjectCaption, PromptIcon::Stop);
        return false;
    }
    // A new project is not the workspace the previous one was saved as: Save asks for a name
    // (offering the old one) instead of writing over that file.
    Edit::Project(doc).m_bWorkspaceNamed = 0;
    AdoptLoadedSurvey(doc, *loaded.doc);
    return true;
}

void ShowLoadMessages(const CPlotraDoc& doc, const std::vector<LoadMessage>& messages) {
    for (const LoadMessage& m : messages)
        doc.Prompts().message(m.text, m.caption, m.icon);
}

bool FinishSurveyReload(CPlotraDoc& doc, LoadedSurvey&& loaded) {
    ShowLoadMessages(doc, loaded.messages);
    if (loaded.status != LoadedSurvey::Read || !loaded.doc) {
        if (!loaded.doc) return false;
        // The project keeps its data; only the refused files lose their ticks.
        Edit::Survey(doc).m_aFiles = std::move(Edit::Survey(*loaded.doc).m_aFiles);
        Edit::Survey(doc).m_strCurrentFile = loaded.doc->Survey().m_strCurrentFile;
        doc.Notify(DocChange::Files);
        return false;
    }
    AdoptLoadedSurvey(doc, *loaded.doc);
    return true;
}

std::unique_ptr<SurveyLoadJob> StartSurveyLoadJob(CPlotraDoc& doc, std::vector<CDataFile> files, bool merge,
                                                  Progress& progress, std::function<void()> finished) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    doc.SetJobRunning(true);
    auto scratch =
        std::make_shared<std::unique_ptr<CPlotraDoc>>(SurveyLoadDocument(doc, std::move(files), merge));
    return std::make_unique<SurveyLoadJob>(
        [scratch, &progress] {
            // Shown from the job, as every calculation's progress is: the window opens once it runs.
            progress.setText("Reading the survey files...");
            progress.setPosition(0);
            progress.show();
            LoadedSurvey loaded = ReadAndPlaceSurvey(std::move(*scratch), &progress);
            progress.hide();
            return loaded;
        },
        std::move(finished));
}

bool ApplySurveyLoadJob(CPlotraDoc& doc, SurveyLoadJob& job, const Progress* progress) {
    std::string failure;
    std::optional<LoadedSurvey> loaded = job.Take(&failure);
    doc.SetJobRunning(false);
    if (!loaded) {
        doc.Prompts().message(failure, kNewProjectCaption, PromptIcon::Stop);
        return false;
    }
    if (progress && progress->cancelRequested()) return false;
    return FinishSurveyReplace(doc, std::move(*loaded));
}

namespace {

void ForgetPlacedSurvey(CPlotraDoc& d) {
    // Everything the previous processing and coverage produced.
    Edit::Aps(d).m_aAPs.clear();
    Edit::Aps(d).m_nHue = 122;
    CoverageGrids& coverage = Edit::Coverage(d);
    coverage.m_aGridPower.clear();
    coverage.m_aGridSnr.clear();
    coverage.m_aGridCount.clear();
    coverage.m_aDominantColour.clear();
    coverage.m_aMixedColour.clear();
    for (auto& picture : coverage.m_aCoveragePictures)
        picture.clear();
    for (auto& layers : coverage.m_aContours)
        layers.Clear();
    coverage.m_workContours.Clear();
    // The path and its GPS facts, merged and raw.
    SurveyPath& path = Edit::Path(d);
    path.m_aPoints.clear();
    path.m_aGpsState.clear();
    path.m_aAltitude.clear();
    path.m_aVelocity.clear();
    path.m_aFilePathCount.clear();
    path.m_aMeasurements.clear();
    path.m_aRawFix.clear();
    path.m_aRawAltitude.clear();
    path.m_aRawVelocity.clear();
    Edit::Survey(d).m_aFileColor.clear();

    DisplaySettings& display = Edit::Display(d);
    display.m_nSortMode = 1;
    display.m_nAnalysisMode = 1;
    display.m_nGraphType = StoredValue(GraphKind::SignalPower);
    display.m_nColourMode = 0;
    display.m_bDataLoaded = 0;
    display.SetMode(DisplayMode::Coverage);
}

/// \brief Which AP each reading of a file goes to. APs are found by MAC, over all files unless the
/// files are kept apart; a MAC is looked up once per MAC and SSID pair, not once per reading.
struct ApLookup {
    std::unordered_map<std::uint64_t, std::size_t> apByMac;
    std::vector<std::size_t> apOfKey;   // per MAC and SSID pair: its AP + 1 in the current file, 0 unknown
    std::vector<std::size_t> samplesOf; // per AP: samples the current file brings
};

/// First pass over the points first .. next of a file: the APs in the order they are first heard,
/// and how many samples each gets, so that every AP's samples take exactly the memory they need.
void FindFileAps(CPlotraDoc& d, ApLookup& lookup, std::size_t first, std::size_t next, bool plainSsid,
                 const std::string& title, std::uint64_t steps) {
    const std::vector<SurveyPoints::Key>& keys = d.Survey().m_aDataPoints.Keys();
    lookup.apOfKey.assign(keys.size(), 0);
    lookup.samplesOf.assign(d.Aps().m_aAPs.size(), 0);
    for (std::size_t i = first; i < next; ++i) {
        if ((i & 0xFFFF) == 0) SurveyLoadProgress::Placing(i, steps);
        for (const SurveyPoints::Reading& r : d.Survey().m_aDataPoints[i].m_aReadings.Packed()) {
            std::size_t& ap = lookup.apOfKey[r.key];
            if (ap == 0) {
                const SurveyPoints::Key& key = keys[r.key];
                auto found = lookup.apByMac.find(MacKey(key.mac));
                if (found == lookup.apByMac.end()) {
                    // The first reading of a MAC names the AP and gives its channel.
                    CAPInfo info;
                    info.m_abyMAC = key.mac;
                    info.m_szSSID = plainSsid ? key.ssid : MakeSsid(SsidText(key.ssid) + ": " + title);
                    info.m_bSelected = 0;
                    info.m_nGroupIndex = 1;
                    info.m_crColour = d.NextApColour();
                    info.m_byChannel = r.channel;
                    found = lookup.apByMac.emplace(MacKey(key.mac), d.Aps().m_aAPs.size()).first;
                    Edit::Aps(d).m_aAPs.push_back(std::move(info));
                    lookup.samplesOf.push_back(0);
                }
                ap = found->second + 1;
            }
            ++lookup.samplesOf[ap - 1];
        }
    }
    for (std::size_t a = 0; a < lookup.samplesOf.size(); ++a)
        if (lookup.samplesOf[a])
            Edit::Aps(d).m_aAPs[a].m_aSamples.reserve(d.Aps().m_aAPs[a].m_aSamples.size() +
                                                      lookup.samplesOf[a]);
}

/// Second pass: the samples, and the file's path merged as it goes.
void PlaceFileSamples(CPlotraDoc& d, const ApLookup& lookup, std::size_t first, std::size_t next,
                      std::uint64_t points, std::uint64_t steps) {
    const std::size_t pathBefore = d.Path().m_aPoints.size();
    PathMerger path(d);
    for (std::size_t i = first; i < next; ++i) {
        if ((i & 0xFFFF) == 0) SurveyLoadProgress::Placing(points + i, steps);
        const SurveyPoints::Point point = d.Survey().m_aDataPoints[i];
        const CPointRecord& rec = point.m_rec;
        CData s;
        s.m_dY = rec.m_nLatMas / 3600000.0;
        s.m_dX = rec.m_nLonMas / 3600000.0;
        if (point.m_aReadings.empty()) {
            path.Add(s, rec.m_byFix, rec.m_nAltitudeCm, rec.m_wSpeedCms);
            continue;
        }
        for (const SurveyPoints::Reading& r : point.m_aReadings.Packed()) {
            s.m_dRssi = r.rssi256 * 0.00390625;
            // The file has noise for channels 0 to 13 only.
            const std::int16_t noise = r.channel < rec.m_anNoise.size() ? rec.m_anNoise[r.channel] : 0;
            s.m_nNoise = noise;
            path.Add(s, rec.m_byFix, rec.m_nAltitudeCm, rec.m_wSpeedCms);
            Edit::Aps(d).m_aAPs[lookup.apOfKey[r.key] - 1].m_aSamples.AppendReading(
                rec.m_nLatMas, rec.m_nLonMas, r.rssi256, noise);
        }
    }
    path.Finish();
    Edit::Path(d).m_aFilePathCount.push_back(static_cast<int>(d.Path().m_aPoints.size() - pathBefore));
}

/// With a map, the path and every AP's samples move from degrees to the map's metres.
void ConvertPlacedToMap(CPlotraDoc& d, std::uint64_t points, std::uint64_t steps) {
    if (d.Map().m_nMapImageSize > 0) {
        ConvertToMap(d, Edit::Path(d).m_aPoints);
        std::uint64_t samples = 0;
        for (std::size_t a = 0; a < d.Aps().m_aAPs.size(); ++a) {
            if ((a & 0x3F) == 0) SurveyLoadProgress::Placing(2 * points + 4 * samples, steps);
            CAPInfo& ap = Edit::Aps(d).m_aAPs[a];
            samples += ap.m_aSamples.size();
            ap.MergeCoincidentSamples(1e-9);
            ConvertToMap(d, ap.m_aApPoints);
            ConvertToMap(d, ap.m_aSamples);
        }
        Edit::Map(d).m_bMetricXY = 1;
    } else {
        Edit::Map(d).m_bMetricXY = 0; // positions are in degrees whatever an earlier map load left behind
    }
}

void PlaceReadPoints(CPlotraDoc& d) {
    std::vector<std::size_t> ticked;
    for (std::size_t i = 0; i < d.Survey().m_aFiles.size(); ++i)
        if (d.Survey().m_aFiles[i].m_bUse) ticked.push_back(i);
    // One AP per MAC over all files, unless the files are kept apart: then one per MAC and file, and
    // the file title tells them apart (a single file needs no such label).
    const bool plainSsid = d.Survey().m_bMerge || ticked.size() == 1;
    // Progress steps: both passes over the points, then every AP's samples placed on the map (the
    // longest of the three).
    const std::uint64_t points = d.Survey().m_aDataPoints.size();
    const std::uint64_t steps =
        2 * points + (d.Map().m_nMapImageSize > 0 ? 4 * d.Survey().m_aDataPoints.ReadingCount() : 0);

    // The readings stream from the points into the APs' samples and the walk path; no list of every
    // reading is built. The path lists collect all files' positions in file order.
    Edit::Path(d).m_aMeasurements.clear();
    ApLookup lookup;
    std::size_t next = 0;
    for (std::size_t k = 0; k < d.Survey().m_aFilePointCount.size(); ++k) {
        const std::size_t available = d.Survey().m_aDataPoints.size() - next;
        const std::size_t count = std::min<std::size_t>(
            static_cast<std::size_t>(std::max(0, d.Survey().m_aFilePointCount[k])), available);
        const std::string& title =
            k < ticked.size() ? d.Survey().m_aFiles[ticked[k]].m_strName : std::string();
        const std::size_t first = next;
        next += count;

        Edit::Survey(d).m_aFileColor.push_back(d.NextApColour());
        if (!d.Survey().m_bMerge) lookup.apByMac.clear(); // only this file's APs are candidates
        FindFileAps(d, lookup, first, next, plainSsid, title, steps);
        PlaceFileSamples(d, lookup, first, next, points, steps);
    }
    ConvertPlacedToMap(d, points, steps);
}

} // namespace

} // namespace plotra
