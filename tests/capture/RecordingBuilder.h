#pragma once
/// \brief Scan recordings for the tests, built message by message with libnl's own message
/// functions, the way the kernel's replies look on the wire.

#include "capture/ScanRecording.h"

#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace plotra::test {

inline constexpr std::int64_t kSecond = 1'000'000'000;

/// \brief One BSS as a scan dump entry carries it.
struct TestBss {
    std::array<std::uint8_t, 6> mac{};
    std::string ssid;
    std::uint32_t mhz = 2412;
    std::optional<std::int32_t> mbm = -5000;
    std::optional<std::uint32_t> seenMsAgo = 100;
};

class RecordingBuilder {
  public:
    RecordingBuilder() : m_bytes(capture::kScanRecordingMagic, capture::kScanRecordingMagic + 8) {}

    /// A scan dump entry (NL80211_CMD_NEW_SCAN_RESULTS with a nested NL80211_ATTR_BSS).
    RecordingBuilder& Bss(std::int64_t t, const TestBss& b) {
        nl_msg* msg = Generic(NL80211_CMD_NEW_SCAN_RESULTS);
        nlattr* nest = nla_nest_start(msg, NL80211_ATTR_BSS);
        nla_put(msg, NL80211_BSS_BSSID, 6, b.mac.data());
        nla_put_u32(msg, NL80211_BSS_FREQUENCY, b.mhz);
        nla_put_u64(msg, NL80211_BSS_TSF, 123456789);
        std::vector<std::uint8_t> ies{0, static_cast<std::uint8_t>(b.ssid.size())};
        ies.insert(ies.end(), b.ssid.begin(), b.ssid.end());
        const std::uint8_t rates[] = {1, 2, 0x82, 0x84}; // another element after the SSID
        ies.insert(ies.end(), rates, rates + 4);
        nla_put(msg, NL80211_BSS_INFORMATION_ELEMENTS, static_cast<int>(ies.size()), ies.data());
        if (b.mbm) nla_put_u32(msg, NL80211_BSS_SIGNAL_MBM, static_cast<std::uint32_t>(*b.mbm));
        if (b.seenMsAgo) nla_put_u32(msg, NL80211_BSS_SEEN_MS_AGO, *b.seenMsAgo);
        nla_nest_end(msg, nest);
        return Put(t, msg);
    }
    /// A channel survey entry; without \p noise the adapter reported none for the channel.
    RecordingBuilder& Survey(std::int64_t t, std::uint32_t mhz, std::optional<int> noise) {
        nl_msg* msg = Generic(NL80211_CMD_NEW_SURVEY_RESULTS);
        nlattr* nest = nla_nest_start(msg, NL80211_ATTR_SURVEY_INFO);
        nla_put_u32(msg, NL80211_SURVEY_INFO_FREQUENCY, mhz);
        if (noise) nla_put_u8(msg, NL80211_SURVEY_INFO_NOISE, static_cast<std::uint8_t>(*noise));
        nla_nest_end(msg, nest);
        return Put(t, msg);
    }
    /// The end of a dump.
    RecordingBuilder& Done(std::int64_t t) {
        nl_msg* msg = nlmsg_alloc_simple(NLMSG_DONE, NLM_F_MULTI);
        std::int32_t status = 0;
        nlmsg_append(msg, &status, sizeof status, NLMSG_ALIGNTO);
        return Put(t, msg);
    }
    /// An error reply that ends a dump (adapters without a channel survey answer so).
    RecordingBuilder& Error(std::int64_t t, int negativeErrno) {
        nl_msg* msg = nlmsg_alloc_simple(NLMSG_ERROR, 0);
        nlmsgerr err{};
        err.error = negativeErrno;
        nlmsg_append(msg, &err, sizeof err, NLMSG_ALIGNTO);
        return Put(t, msg);
    }
    /// The multicast notice of new scan results (no BSS in it).
    RecordingBuilder& Notice(std::int64_t t) { return Put(t, Generic(NL80211_CMD_NEW_SCAN_RESULTS, 0)); }
    /// Any bytes as one frame.
    RecordingBuilder& Raw(std::int64_t t, const std::vector<std::uint8_t>& message) {
        capture::AppendFrame(m_bytes, static_cast<std::uint64_t>(t), message);
        return *this;
    }
    /// The bytes of a well-formed scan entry message (for damaging).
    static std::vector<std::uint8_t> BssMessage(const TestBss& b) {
        RecordingBuilder r;
        r.Bss(0, b);
        return std::vector<std::uint8_t>(r.m_bytes.begin() + 8 + 12, r.m_bytes.end());
    }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::string WriteTo(const std::string& path) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(m_bytes.data()),
                   static_cast<std::streamsize>(m_bytes.size()));
        return path;
    }

  private:
    static nl_msg* Generic(std::uint8_t cmd, int flags = NLM_F_MULTI) {
        nl_msg* msg = nlmsg_alloc();
        genlmsg_put(msg, 0, 7, 0x1d, 0, flags, cmd, 1);
        nla_put_u32(msg, NL80211_ATTR_GENERATION, 42);
        nla_put_u32(msg, NL80211_ATTR_IFINDEX, 3);
        return msg;
    }
    RecordingBuilder& Put(std::int64_t t, nl_msg* msg) {
        const nlmsghdr* h = nlmsg_hdr(msg);
        capture::AppendFrame(
            m_bytes, static_cast<std::uint64_t>(t),
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(h), h->nlmsg_len));
        nlmsg_free(msg);
        return *this;
    }
    std::vector<std::uint8_t> m_bytes;
};

/// A gpsd TPV line.
inline std::string Tpv(const std::string& time, int mode, double lat, double lon, double alt = 0,
                       double speed = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "{\"class\":\"TPV\",\"device\":\"/dev/ttyUSB0\",\"mode\":%d,\"time\":\"%s\",\"ept\":0.005,"
                  "\"lat\":%.9f,\"lon\":%.9f,\"altHAE\":%.3f,\"altMSL\":%.3f,\"epx\":3.1,\"speed\":%.3f,"
                  "\"track\":12.5}",
                  mode, time.c_str(), lat, lon, alt + 47.0, alt, speed);
    return buf;
}

} // namespace plotra::test
