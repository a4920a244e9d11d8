// Live capture: parsing one scan of 300 BSS entries (each with a realistic 250 bytes of information
// elements) and its channel survey into the readings and noise of a point. Target: 1 ms.
#include "capture/Nl80211Parser.h"
#include "capture/ScanReadings.h"
#include "capture/Sources.h"

#include <benchmark/benchmark.h>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(nl_msg* msg) {
    const nlmsghdr* h = nlmsg_hdr(msg);
    const auto* p = reinterpret_cast<const std::uint8_t*>(h);
    std::vector<std::uint8_t> out(p, p + h->nlmsg_len);
    nlmsg_free(msg);
    return out;
}

/// The messages of a survey dump of 13 channels and a scan dump of \p entries BSSs.
std::vector<std::vector<std::uint8_t>> ScanMessages(int entries) {
    std::vector<std::vector<std::uint8_t>> out;
    const auto done = [&] {
        nl_msg* m = nlmsg_alloc_simple(NLMSG_DONE, NLM_F_MULTI);
        std::int32_t status = 0;
        nlmsg_append(m, &status, sizeof status, NLMSG_ALIGNTO);
        out.push_back(Bytes(m));
    };
    for (int ch = 1; ch <= 13; ++ch) {
        nl_msg* m = nlmsg_alloc();
        genlmsg_put(m, 0, 1, 0x1c, 0, NLM_F_MULTI, NL80211_CMD_NEW_SURVEY_RESULTS, 1);
        nla_put_u32(m, NL80211_ATTR_IFINDEX, 3);
        nlattr* n = nla_nest_start(m, NL80211_ATTR_SURVEY_INFO);
        nla_put_u32(m, NL80211_SURVEY_INFO_FREQUENCY, static_cast<std::uint32_t>(2407 + 5 * ch));
        nla_put_u8(m, NL80211_SURVEY_INFO_NOISE, static_cast<std::uint8_t>(-92));
        nla_nest_end(m, n);
        out.push_back(Bytes(m));
    }
    done();
    for (int i = 0; i < entries; ++i) {
        nl_msg* m = nlmsg_alloc();
        genlmsg_put(m, 0, 2, 0x1c, 0, NLM_F_MULTI, NL80211_CMD_NEW_SCAN_RESULTS, 1);
        nla_put_u32(m, NL80211_ATTR_GENERATION, 7);
        nla_put_u32(m, NL80211_ATTR_IFINDEX, 3);
        nlattr* b = nla_nest_start(m, NL80211_ATTR_BSS);
        const std::uint8_t mac[6] = {
            2, 0, 0, 0, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)};
        nla_put(m, NL80211_BSS_BSSID, 6, mac);
        nla_put_u32(m, NL80211_BSS_FREQUENCY, i % 3 ? 2437u : 5180u);
        nla_put_u64(m, NL80211_BSS_TSF, 1234567u + static_cast<unsigned>(i));
        nla_put_u16(m, NL80211_BSS_BEACON_INTERVAL, 100);
        const std::string ssid = "Network-" + std::to_string(i);
        std::vector<std::uint8_t> ies{0, static_cast<std::uint8_t>(ssid.size())};
        ies.insert(ies.end(), ssid.begin(), ssid.end());
        for (int e = 0; e < 10; ++e) { // rates, HT, VHT, vendor elements...
            ies.push_back(static_cast<std::uint8_t>(45 + e));
            ies.push_back(22);
            ies.insert(ies.end(), 22, static_cast<std::uint8_t>(e));
        }
        nla_put(m, NL80211_BSS_INFORMATION_ELEMENTS, static_cast<int>(ies.size()), ies.data());
        nla_put(m, NL80211_BSS_BEACON_IES, static_cast<int>(ies.size()), ies.data());
        nla_put_u32(m, NL80211_BSS_SIGNAL_MBM, static_cast<std::uint32_t>(-4000 - 17 * i));
        nla_put_u32(m, NL80211_BSS_SEEN_MS_AGO, static_cast<std::uint32_t>(i * 13));
        nla_nest_end(m, b);
        out.push_back(Bytes(m));
    }
    done();
    return out;
}

void BM_ParseScan300(benchmark::State& state) {
    const auto messages = ScanMessages(300);
    const plotra::capture::ReadingRules rules;
    std::size_t bytes = 0;
    for (const auto& m : messages)
        bytes += m.size();
    for (auto _ : state) {
        plotra::capture::Nl80211Parser parser;
        for (const auto& m : messages)
            parser.OnMessage(m, 1);
        const auto scan = parser.TakeScan();
        benchmark::DoNotOptimize(plotra::capture::ReadingsOfScan(scan, rules));
        benchmark::DoNotOptimize(plotra::capture::NoiseOfScan(scan, rules));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ParseScan300)->Unit(benchmark::kMicrosecond);

// The same scan read from a recording (frames from a stream, then the parser).
void BM_ReplayScan300(benchmark::State& state) {
    std::vector<std::uint8_t> rec(plotra::capture::kScanRecordingMagic,
                                  plotra::capture::kScanRecordingMagic + 8);
    for (const auto& m : ScanMessages(300))
        plotra::capture::AppendFrame(rec, 1, m);
    for (auto _ : state) {
        std::FILE* f = fmemopen(rec.data(), rec.size(), "rb");
        auto source = plotra::capture::ReplayScanSource::Attach(f, rec.size(), "bench", nullptr);
        plotra::capture::CompletedScan scan;
        source->Next(scan, nullptr);
        benchmark::DoNotOptimize(scan.bss.size());
        source.reset();
        std::fclose(f);
    }
    state.counters["recording_KB"] = static_cast<double>(rec.size()) / 1024.0;
}
BENCHMARK(BM_ReplayScan300)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
