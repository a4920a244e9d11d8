#include "support/DocFixtures.h"

#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "files/NewProject.h"
#include "files/SurveyFile.h"
#include "model/EditAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>

namespace plotra::test {

bool LoadDemoProject(CPlotraDoc& doc, bool coverage) {
    const std::string samples = std::string(PLOTRA_SOURCE_DIR) + "/samples/";
    std::vector<CDataFile> files;
    SilentPrompts prompts;
    const bool placed = doc.LoadProjectionFile(samples + "demo.hpf") &&
                        AddSurveyFile(files, samples + "demo1.hsd", prompts) &&
                        AddSurveyFile(files, samples + "demo2.hsd", prompts);
    EXPECT_TRUE(placed);
    if (!placed) return false;
    doc.SetSurveyFiles(files, true);
    const bool loaded = doc.LoadSurveyFiles();
    EXPECT_TRUE(loaded);
    if (!loaded) return false;
    TickCoverageAps(doc);
    const bool covered = !coverage || CalculateCoverage(doc);
    EXPECT_TRUE(covered);
    return covered;
}

void ReadGenerated(CPlotraDoc& doc, const sim::GeneratedSurvey& survey) {
    Edit::Survey(doc).m_aFiles.clear();
    for (const auto& f : survey.files) {
        CDataFile file;
        file.m_strName = f.name;
        file.m_strPath = f.name;
        Edit::Survey(doc).m_aFiles.push_back(file);
        const auto bytes = EncodeSurveyFile(f.image);
        Edit::Survey(doc).m_strCurrentFile = f.name;
        doc.ReadSurveyFile(bytes);
        Edit::Survey(doc).m_aFiles.back().m_strCreated = doc.Survey().m_strSurveyTime;
    }
    Edit::Survey(doc).m_bNoData = doc.Survey().m_aDataPoints.empty() ? 1 : 0;
}

void PlaceGenerated(CPlotraDoc& doc, const sim::GeneratedSurvey& survey) {
    ReadGenerated(doc, survey);
    doc.PlaceSurveyPoints();
}

void KeepEveryNthAp(CPlotraDoc& doc, std::size_t every) {
    std::vector<CAPInfo> kept;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); i += every)
        kept.push_back(doc.Aps().m_aAPs[i]);
    Edit::Aps(doc).m_aAPs = std::move(kept);
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

namespace {

class Differ {
  public:
    explicit Differ(std::vector<std::string>& out) : m_out(out) {}
    void D(const std::string& what, double a, double b) {
        if (!SameBits(a, b)) Add(what + ": " + Num(a) + " vs " + Num(b));
    }
    void I(const std::string& what, long long a, long long b) {
        if (a != b) Add(what + ": " + std::to_string(a) + " vs " + std::to_string(b));
    }
    void Points(const std::string& what, const SampleList& a, const SampleList& b) {
        I(what + " count", static_cast<long long>(a.size()), static_cast<long long>(b.size()));
        for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
            D(what + "[" + std::to_string(k) + "].y", a[k].m_dY, b[k].m_dY);
            D(what + "[" + std::to_string(k) + "].x", a[k].m_dX, b[k].m_dX);
            D(what + "[" + std::to_string(k) + "].rssi", a[k].m_dRssi, b[k].m_dRssi);
            I(what + "[" + std::to_string(k) + "].noise", a[k].m_nNoise, b[k].m_nNoise);
        }
    }
    void Values(const std::string& what, const std::vector<double>& a, const std::vector<double>& b) {
        I(what + " count", static_cast<long long>(a.size()), static_cast<long long>(b.size()));
        for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k)
            D(what + "[" + std::to_string(k) + "]", a[k], b[k]);
    }

  private:
    static std::string Num(double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return buf;
    }
    void Add(const std::string& s) {
        if (m_out.size() < 50) m_out.push_back(s);
    }
    std::vector<std::string>& m_out;
};

} // namespace

std::vector<std::string> ProcessingDifferences(const CPlotraDoc& a, const CPlotraDoc& b) {
    std::vector<std::string> out;
    Differ d(out);
    d.I("AP count", static_cast<long long>(a.Aps().m_aAPs.size()),
        static_cast<long long>(b.Aps().m_aAPs.size()));
    for (std::size_t i = 0; i < std::min(a.Aps().m_aAPs.size(), b.Aps().m_aAPs.size()); ++i) {
        const CAPInfo& p = a.Aps().m_aAPs[i];
        const CAPInfo& q = b.Aps().m_aAPs[i];
        const std::string ap = "AP " + std::to_string(i) + " ";
        d.Points(ap + "points", p.m_aApPoints, q.m_aApPoints);
        d.Values(ap + "grid", p.m_aGrid, q.m_aGrid);
        d.D(ap + "origin.y", p.m_areaOrigin.m_dY, q.m_areaOrigin.m_dY);
        d.D(ap + "origin.x", p.m_areaOrigin.m_dX, q.m_areaOrigin.m_dX);
        d.D(ap + "size.y", p.m_areaSize.m_dY, q.m_areaSize.m_dY);
        d.D(ap + "size.x", p.m_areaSize.m_dX, q.m_areaSize.m_dX);
        d.D(ap + "pos.y", p.m_posAP.m_dY, q.m_posAP.m_dY);
        d.D(ap + "pos.x", p.m_posAP.m_dX, q.m_posAP.m_dX);
        d.D(ap + "slope", p.m_dSlope, q.m_dSlope);
        d.D(ap + "intercept", p.m_dIntercept, q.m_dIntercept);
        d.D(ap + "shadow", p.m_dShadowStd, q.m_dShadowStd);
        d.D(ap + "gridMax", p.m_dGridMax, q.m_dGridMax);
        d.D(ap + "gridMin", p.m_dGridMin, q.m_dGridMin);
        d.I(ap + "cols", p.m_nApGridCols, q.m_nApGridCols);
        d.I(ap + "rows", p.m_nApGridRows, q.m_nApGridRows);
        d.I(ap + "picture", static_cast<long long>(p.m_aCoverageBitmap.size()),
            static_cast<long long>(q.m_aCoverageBitmap.size()));
        if (p.m_aCoverageBitmap != q.m_aCoverageBitmap) d.I(ap + "picture differs", 0, 1);
    }
    d.D("meanRssi", a.Coverage().m_dMeanRssi, b.Coverage().m_dMeanRssi);
    d.D("meanSnr", a.Coverage().m_dMeanSnr, b.Coverage().m_dMeanSnr);
    d.D("slope", a.Coverage().m_dSlope, b.Coverage().m_dSlope);
    d.D("intercept", a.Coverage().m_dIntercept, b.Coverage().m_dIntercept);
    d.D("shadow", a.Coverage().m_dShadowStd, b.Coverage().m_dShadowStd);
    d.D("gridOriginY", a.Frame().m_dGridOriginY, b.Frame().m_dGridOriginY);
    d.D("gridOriginX", a.Frame().m_dGridOriginX, b.Frame().m_dGridOriginX);
    d.D("gridSpanY", a.Frame().m_dGridSpanY, b.Frame().m_dGridSpanY);
    d.D("gridSpanX", a.Frame().m_dGridSpanX, b.Frame().m_dGridSpanX);
    d.D("frameOriginY", a.Frame().m_dFrameOriginY, b.Frame().m_dFrameOriginY);
    d.D("frameOriginX", a.Frame().m_dFrameOriginX, b.Frame().m_dFrameOriginX);
    d.D("frameSpanY", a.Frame().m_dFrameSpanY, b.Frame().m_dFrameSpanY);
    d.D("frameSpanX", a.Frame().m_dFrameSpanX, b.Frame().m_dFrameSpanX);
    d.D("resolutionX", a.Frame().m_dResolutionX, b.Frame().m_dResolutionX);
    d.D("resolutionY", a.Frame().m_dResolutionY, b.Frame().m_dResolutionY);
    d.I("dataLoaded", a.Display().m_bDataLoaded, b.Display().m_bDataLoaded);
    d.I("alpha", a.Display().m_nAlpha, b.Display().m_nAlpha);
    d.I("notes", static_cast<long long>(a.Aps().m_aApNotes.size()),
        static_cast<long long>(b.Aps().m_aApNotes.size()));
    return out;
}

std::size_t TickCoverageAps(CPlotraDoc& doc) {
    std::vector<int> ticked;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
        if (doc.Aps().m_aAPs[i].m_aApPoints.size() > kMinCoveragePoints)
            ticked.push_back(static_cast<int>(i));
    doc.SetTickedAps(ticked);
    return ticked.size();
}

std::size_t ProcessTickAndCover(CPlotraDoc& doc) {
    ProcessData(doc);
    const std::size_t ticked = TickCoverageAps(doc);
    CalculateCoverage(doc);
    return ticked;
}

} // namespace plotra::test
