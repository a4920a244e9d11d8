#include "capture/SimulatedRecording.h"

#include "capture/ScanRecording.h"
#include "model/Records.h"

#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace plotra::capture {

namespace {

constexpr int kFamily = 0x1c; // any number: the family's type is assigned by the kernel at run time
constexpr std::uint32_t kIfIndex = 3;
constexpr std::int64_t kMs = 1'000'000;

struct MsgFree {
    void operator()(nl_msg* m) const { nlmsg_free(m); }
};

void Frame(std::vector<std::uint8_t>& out, std::int64_t t, nl_msg* msg) {
    const nlmsghdr* h = nlmsg_hdr(msg);
    AppendFrame(out, static_cast<std::uint64_t>(t),
                std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(h), h->nlmsg_len));
}

void Done(std::vector<std::uint8_t>& out, std::int64_t t) {
    std::unique_ptr<nl_msg, MsgFree> msg(nlmsg_alloc_simple(NLMSG_DONE, NLM_F_MULTI));
    std::int32_t zero = 0; // the kernel's DONE carries the dump's status
    nlmsg_append(msg.get(), &zero, sizeof zero, NLMSG_ALIGNTO);
    Frame(out, t, msg.get());
}

void SurveyDump(std::vector<std::uint8_t>& out, std::int64_t t, const CPointRecord& rec) {
    for (int ch = 1; ch <= 13; ++ch) {
        std::unique_ptr<nl_msg, MsgFree> msg(nlmsg_alloc());
        genlmsg_put(msg.get(), 0, 1, kFamily, 0, NLM_F_MULTI, NL80211_CMD_NEW_SURVEY_RESULTS, 1);
        nla_put_u32(msg.get(), NL80211_ATTR_IFINDEX, kIfIndex);
        nlattr* info = nla_nest_start(msg.get(), NL80211_ATTR_SURVEY_INFO);
        nla_put_u32(msg.get(), NL80211_SURVEY_INFO_FREQUENCY, static_cast<std::uint32_t>(2407 + 5 * ch));
        nla_put_u8(msg.get(), NL80211_SURVEY_INFO_NOISE,
                   static_cast<std::uint8_t>(rec.m_anNoise[static_cast<std::size_t>(ch)]));
        nla_nest_end(msg.get(), info);
        Frame(out, t, msg.get());
    }
    Done(out, t);
}

void ScanDump(std::vector<std::uint8_t>& out, std::int64_t t, const CDataPoint& point) {
    for (const CHssData& r : point.m_aReadings) {
        std::unique_ptr<nl_msg, MsgFree> msg(nlmsg_alloc());
        genlmsg_put(msg.get(), 0, 2, kFamily, 0, NLM_F_MULTI, NL80211_CMD_NEW_SCAN_RESULTS, 1);
        nla_put_u32(msg.get(), NL80211_ATTR_IFINDEX, kIfIndex);
        nlattr* bss = nla_nest_start(msg.get(), NL80211_ATTR_BSS);
        nla_put(msg.get(), NL80211_BSS_BSSID, 6, r.m_abyMAC.data());
        nla_put_u32(msg.get(), NL80211_BSS_FREQUENCY, static_cast<std::uint32_t>(2407 + 5 * r.m_byChannel));
        const std::size_t ssidLen = strnlen(r.m_szSSID.data(), r.m_szSSID.size());
        std::vector<std::uint8_t> ies{0, static_cast<std::uint8_t>(ssidLen)};
        ies.insert(ies.end(), r.m_szSSID.begin(), r.m_szSSID.begin() + static_cast<long>(ssidLen));
        nla_put(msg.get(), NL80211_BSS_INFORMATION_ELEMENTS, static_cast<int>(ies.size()), ies.data());
        const long mbm = std::lround(r.m_nRssi256 * 100.0 / 256.0);
        nla_put_u32(msg.get(), NL80211_BSS_SIGNAL_MBM,
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(mbm)));
        nla_put_u32(msg.get(), NL80211_BSS_SEEN_MS_AGO, 120);
        nla_nest_end(msg.get(), bss);
        Frame(out, t - 5 * kMs, msg.get());
    }
    Done(out, t);
}

std::string TpvLine(std::int64_t t, const CPointRecord& rec) {
    char buf[320];
    if (rec.m_byFix == 0) {
        std::snprintf(buf, sizeof buf,
                      "{\"class\":\"TPV\",\"device\":\"/dev/ttyACM0\",\"mode\":1,\"time\":\"%s\"}\n",
                      IsoUtcText(t).c_str());
    } else {
        std::snprintf(
            buf, sizeof buf,
            "{\"class\":\"TPV\",\"device\":\"/dev/ttyACM0\",\"mode\":%d,\"time\":\"%s\",\"lat\":%.9f,"
            "\"lon\":%.9f,\"altMSL\":%.2f,\"speed\":%.2f}\n",
            rec.m_byFix == 2 ? 3 : 2, IsoUtcText(t).c_str(), rec.m_nLatMas / 3600000.0,
            rec.m_nLonMas / 3600000.0, rec.m_nAltitudeCm / 100.0, rec.m_wSpeedCms / 100.0);
    }
    return buf;
}

} // namespace

std::string IsoUtcText(std::int64_t ns) {
    const std::time_t s =
        static_cast<std::time_t>(ns >= 0 ? ns / 1'000'000'000 : (ns - 999'999'999) / 1'000'000'000);
    const long ms = static_cast<long>((ns - static_cast<std::int64_t>(s) * 1'000'000'000) / kMs);
    std::tm tm{};
    gmtime_r(&s, &tm);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

SimulatedRecordings RecordSimulatedFile(const sim::GeneratedSurvey& survey, std::size_t fileIndex) {
    SimulatedRecordings out;
    out.scans.assign(kScanRecordingMagic, kScanRecordingMagic + kScanRecordingMagicSize);
    out.gpsLog = "{\"class\":\"VERSION\",\"release\":\"3.22\",\"rev\":\"3.22\",\"proto_major\":3,\"proto_"
                 "minor\":14}\n";
    const auto& file = survey.files.at(fileIndex);
    const std::int64_t start = file.image.surveyTime * 1'000'000'000;
    for (const CDataPoint& point : file.image.records) {
        if (point.m_rec.m_byKind != 0) continue;
        const std::int64_t t = start + out.scanCount * 1'000'000'000;
        // The survey is dumped first, then the scan, which completes when this point's fix arrives.
        SurveyDump(out.scans, t - 300 * kMs, point.m_rec);
        ScanDump(out.scans, t, point);
        out.gpsLog += TpvLine(t, point.m_rec);
        if (out.scanCount % 5 == 0)
            out.gpsLog += "{\"class\":\"SKY\",\"device\":\"/dev/ttyACM0\",\"nSat\":12,\"uSat\":" +
                          std::to_string(point.m_rec.m_byFix == 2   ? 9
                                         : point.m_rec.m_byFix == 1 ? 3
                                                                    : 0) +
                          "}\n";
        ++out.scanCount;
    }
    return out;
}

bool WriteSimulatedRecordings(const sim::GeneratedSurvey& survey, const std::string& outDir,
                              std::string* error) {
    namespace fs = std::filesystem;
    for (std::size_t f = 0; f < survey.files.size(); ++f) {
        const auto rec = RecordSimulatedFile(survey, f);
        const std::string stem = fs::path(survey.files[f].name).stem().string();
        const fs::path scans = fs::path(outDir) / (stem + ".scans");
        const fs::path gps = fs::path(outDir) / (stem + ".gps.json");
        std::ofstream a(scans, std::ios::binary | std::ios::trunc);
        a.write(reinterpret_cast<const char*>(rec.scans.data()),
                static_cast<std::streamsize>(rec.scans.size()));
        std::ofstream b(gps, std::ios::binary | std::ios::trunc);
        b << rec.gpsLog;
        if (!a || !b) {
            if (error) *error = "Cannot write " + (a ? gps : scans).string();
            return false;
        }
        // Indoors the positions come from the surveyor's clicks on the plan, one at every turn.
        if (survey.floor && !survey.files[f].turns.empty()) {
            const fs::path clicks = fs::path(outDir) / (stem + ".clicks.csv");
            std::ofstream c(clicks, std::ios::binary | std::ios::trunc);
            c << sim::ClickLogText(*survey.floor, survey.files[f].turns);
            if (!c) {
                if (error) *error = "Cannot write " + clicks.string();
                return false;
            }
        }
    }
    return true;
}

} // namespace plotra::capture
