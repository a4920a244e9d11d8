// The new-project flow: choosing the survey files, reading the ticked ones, building the access
// points and the walk path of every file, placing everything on the map when one is loaded, and
// asking for the processing.
#include "files/NewProject.h"
#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "files/WigleCsv.h"
#include "model/PathMerger.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <filesystem>
#include <memory>
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

bool CPlotraDoc::OnNewDocument() {
    // The framework's call at start-up only marks the document as started.
    if (!m_bStarted) {
        m_bStarted = 1;
        return true;
    }
    if (m_bTableWindowActive) {
        Prompts().message("Please Select Graph Window", "Invalid Window", PromptIcon::Stop);
        return false;
    }
    if (RefuseWhileBusy()) return false;
    if (!SaveModified()) return false;
    if (!m_bMapLoaded &&
        Prompts().askYesNo("No projection file is detected. Do you want to input projection file first?",
                           "No Projection File")) {
        OpenProjectionFile();
        return false;
    }
    // A second "New Project" starts from the current files and their ticks.
    std::optional<SurveySelection> chosen = Prompts().chooseSurveyFiles(m_aFiles, m_bMerge != 0);
    if (!chosen) return false;
    if (std::none_of(chosen->files.begin(), chosen->files.end(),
                     [](const CDataFile& f) { return f.m_bUse; })) {
        Prompts().message(kNothingToLoad, kNewProjectCaption, PromptIcon::Stop);
        return false;
    }
    return ReplaceSurveyFiles(std::move(chosen->files), chosen->merge);
}

bool CPlotraDoc::ReplaceSurveyFiles(std::vector<CDataFile> files, bool merge) {
    if (RefuseWhileBusy()) return false;
    // The project is replaced only when one of the chosen files could be read; otherwise it keeps
    // its own files as well as its data.
    std::vector<CDataFile> previousFiles = m_aFiles;
    const int previousMerge = m_bMerge;
    const bool wasModified = m_bModified;
    SetSurveyFiles(std::move(files), merge);
    if (LoadSurveyFiles()) {
        // A new project is not the workspace the previous one was saved as: Save asks for a name
        // (offering the old one) instead of writing over that file.
        m_bWorkspaceNamed = 0;
        return true;
    }
    if (!m_bJobRunning) {
        SetSurveyFiles(std::move(previousFiles), previousMerge != 0);
        m_bModified = wasModified;
        Prompts().message(kNoneRead, kNewProjectCaption, PromptIcon::Stop);
    }
    return false;
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
    // A running job holds the APs until its result is applied.
    if (RefuseWhileBusy()) return false;

    // The files are read beside the current project, which is replaced only when at least one of
    // them was read: a selection of unreadable files never leaves an empty project behind.
    SurveyPoints previousPoints = std::move(m_aDataPoints);
    std::vector<int> previousCounts = std::move(m_aFilePointCount);
    std::vector<CAPMarker> previousMarkers = std::move(m_aApMarkers);
    const std::string previousSurveyTime = m_strSurveyTime;
    m_aDataPoints.clear();
    m_aFilePointCount.clear();
    m_aApMarkers.clear();

    bool anyRead = false;
    for (CDataFile& file : m_aFiles) {
        m_strCurrentFile = file.m_strPath;
        if (!file.m_bUse) continue;
        switch (ReadOneSurveyFile(file.m_strPath)) {
        case SurveyReadResult::CannotOpen:
            Prompts().message("Could not open file \"" + file.m_strPath + "\".", "File Open Error",
                              PromptIcon::Stop);
            file.m_bUse = 0;
            break;
        case SurveyReadResult::Invalid:
            Prompts().message("File is not a valid HSD file: \"" + file.m_strPath + "\".", "Invalid File",
                              PromptIcon::Stop);
            file.m_bUse = 0;
            break;
        case SurveyReadResult::Ok:
            file.m_strCreated = m_strSurveyTime;
            anyRead = true;
            break;
        }
    }
    if (!anyRead) {
        m_aDataPoints = std::move(previousPoints);
        m_aFilePointCount = std::move(previousCounts);
        m_aApMarkers = std::move(previousMarkers);
        m_strSurveyTime = previousSurveyTime;
        Notify(DocChange::Files);
        return false;
    }
    previousPoints.clear();

    m_panel.m_bExpandMeasurement = m_panel.m_bExpandSorting = m_panel.m_bExpandReliability = 0;
    Host().setShowDirections(false);
    m_bShowLegend = 0;
    m_bDataLoaded = 0;
    m_bCoverageReady = 0;
    m_bCombined = 0;
    m_aAPs.clear();
    m_aGpsState.clear();
    m_bNoData = 0;

    BuildAccessPoints();
    Host().setTitle("");
    m_bStarted = 1;
    return true;
}

void CPlotraDoc::BuildAccessPoints() {
    if (m_bJobRunning) return;
    PlaceSurveyPoints();
    Notify(DocChange::Everything);
    RequestProcessing();
}

void CPlotraDoc::PlaceSurveyPoints() {
    // Everything the previous processing and coverage produced.
    m_aAPs.clear();
    m_aGridPower.clear();
    m_aGridSnr.clear();
    m_aGridCount.clear();
    m_aDominantColour.clear();
    m_aMixedColour.clear();
    for (auto& picture : m_aCoveragePictures)
        picture.clear();
    for (auto& layers : m_aContours)
        layers.Clear();
    m_workContours.Clear();
    m_aPoints.clear();
    m_aGpsState.clear();
    m_aAltitude.clear();
    m_aVelocity.clear();
    m_aFilePathCount.clear();
    m_aFileColor.clear();
    m_nHue = 122;

    std::vector<std::size_t> ticked;
    for (std::size_t i = 0; i < m_aFiles.size(); ++i)
        if (m_aFiles[i].m_bUse) ticked.push_back(i);
    // One AP per MAC over all files, unless the files are kept apart: then one per MAC and file, and
    // the file title tells them apart (a single file needs no such label).
    const bool plainSsid = m_bMerge || ticked.size() == 1;

    // The readings stream from the points into the APs' samples and the walk path; no list of every
    // reading is built. The path lists collect all files' positions in file order.
    m_aMeasurements.clear();
    const std::vector<SurveyPoints::Key>& keys = m_aDataPoints.Keys();
    std::unordered_map<std::uint64_t, std::size_t> apByMac;
    std::vector<std::size_t> apOfKey;   // per MAC and SSID pair: its AP + 1 in the current file, 0 unknown
    std::vector<std::size_t> samplesOf; // per AP: samples the current file brings
    std::size_t next = 0;
    for (std::size_t k = 0; k < m_aFilePointCount.size(); ++k) {
        const std::size_t available = m_aDataPoints.size() - next;
        const std::size_t count =
            std::min<std::size_t>(static_cast<std::size_t>(std::max(0, m_aFilePointCount[k])), available);
        const std::string& title = k < ticked.size() ? m_aFiles[ticked[k]].m_strName : std::string();
        const std::size_t first = next;
        next += count;

        m_aFileColor.push_back(NextApColour());
        if (!m_bMerge) apByMac.clear(); // only this file's APs are candidates
        apOfKey.assign(keys.size(), 0);
        // First pass: the APs in the order they are first heard, and how many samples each gets, so
        // that every AP's samples take exactly the memory they need. A MAC is looked up once per
        // MAC and SSID pair, not once per reading.
        samplesOf.assign(m_aAPs.size(), 0);
        for (std::size_t i = first; i < next; ++i)
            for (const SurveyPoints::Reading& r : m_aDataPoints[i].m_aReadings.Packed()) {
                std::size_t& ap = apOfKey[r.key];
                if (ap == 0) {
                    const SurveyPoints::Key& key = keys[r.key];
                    auto found = apByMac.find(MacKey(key.mac));
                    if (found == apByMac.end()) {
                        // The first reading of a MAC names the AP and gives its channel.
                        CAPInfo info;
                        info.m_abyMAC = key.mac;
                        info.m_szSSID = plainSsid ? key.ssid : MakeSsid(SsidText(key.ssid) + ": " + title);
                        info.m_bSelected = 0;
                        info.m_nGroupIndex = 1;
                        info.m_crColour = NextApColour();
                        info.m_byChannel = r.channel;
                        found = apByMac.emplace(MacKey(key.mac), m_aAPs.size()).first;
                        m_aAPs.push_back(std::move(info));
                        samplesOf.push_back(0);
                    }
                    ap = found->second + 1;
                }
                ++samplesOf[ap - 1];
            }
        for (std::size_t a = 0; a < samplesOf.size(); ++a)
            if (samplesOf[a]) m_aAPs[a].m_aSamples.reserve(m_aAPs[a].m_aSamples.size() + samplesOf[a]);

        // Second pass: the samples, and the file's path merged as it goes.
        const std::size_t pathBefore = m_aPoints.size();
        PathMerger path(*this);
        for (std::size_t i = first; i < next; ++i) {
            const SurveyPoints::Point point = m_aDataPoints[i];
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
                m_aAPs[apOfKey[r.key] - 1].m_aSamples.AppendReading(rec.m_nLatMas, rec.m_nLonMas, r.rssi256,
                                                                    noise);
            }
        }
        path.Finish();
        m_aFilePathCount.push_back(static_cast<int>(m_aPoints.size() - pathBefore));
    }

    if (m_nMapImageSize > 0) {
        ConvertToMap(*this, m_aPoints);
        for (CAPInfo& ap : m_aAPs) {
            ap.MergeCoincidentSamples(1e-9);
            ConvertToMap(*this, ap.m_aApPoints);
            ConvertToMap(*this, ap.m_aSamples);
        }
        m_bMetricXY = 1;
    } else {
        m_bMetricXY = 0; // positions are in degrees whatever an earlier map load left behind
    }

    m_nSortMode = 1;
    m_nAnalysisMode = 1;
    m_nGraphType = StoredValue(GraphKind::SignalPower);
    m_nColourMode = 0;
    m_aMeasurements.clear();
    m_aRawFix.clear();
    m_aRawAltitude.clear();
    m_aRawVelocity.clear();
    m_bDataLoaded = 0;
    m_bShowCellRadius = 0;
    m_bShowContour = 0;
    m_bMultiContours = 0;
    m_bCoveragePlotted = 1;
}

} // namespace plotra
