#include "capture/Nl80211Parser.h"

#include "model/Bytes.h"

#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <cstring>

namespace plotra::capture {

namespace {

// Attribute policies: libnl then refuses an attribute shorter than its type before we read it.
struct Policies {
    nla_policy bss[NL80211_BSS_MAX + 1]{};
    nla_policy survey[NL80211_SURVEY_INFO_MAX + 1]{};
    Policies() {
        bss[NL80211_BSS_BSSID].minlen = 6;
        bss[NL80211_BSS_FREQUENCY].type = NLA_U32;
        bss[NL80211_BSS_SIGNAL_MBM].type = NLA_U32;
        bss[NL80211_BSS_SEEN_MS_AGO].type = NLA_U32;
        survey[NL80211_SURVEY_INFO_FREQUENCY].type = NLA_U32;
        survey[NL80211_SURVEY_INFO_NOISE].type = NLA_U8;
    }
};
const Policies& ThePolicies() {
    static const Policies p;
    return p;
}

/// The SSID element (id 0) of a run of information elements; the walk stops at an element that
/// runs past the end.
std::string SsidOfElements(const std::uint8_t* ies, std::size_t size) {
    std::size_t pos = 0;
    while (size - pos >= 2) {
        const std::uint8_t id = ies[pos];
        const std::size_t len = ies[pos + 1];
        if (len > size - pos - 2) break;
        if (id == 0)
            return std::string(reinterpret_cast<const char*>(ies + pos + 2), std::min<std::size_t>(len, 32));
        pos += 2 + len;
    }
    return {};
}

/// One BSS from its nested attributes; false when they are damaged or carry no BSSID.
bool ParseBss(nlattr* nested, BssEntry& out) {
    nlattr* bss[NL80211_BSS_MAX + 1] = {};
    if (nla_parse_nested(bss, NL80211_BSS_MAX, nested, const_cast<nla_policy*>(ThePolicies().bss)) < 0)
        return false;
    if (!bss[NL80211_BSS_BSSID]) return false;
    std::memcpy(out.bssid.data(), nla_data(bss[NL80211_BSS_BSSID]), 6);
    if (bss[NL80211_BSS_FREQUENCY]) out.frequencyMhz = nla_get_u32(bss[NL80211_BSS_FREQUENCY]);
    if (bss[NL80211_BSS_SIGNAL_MBM]) {
        out.hasSignal = true;
        out.signalMbm = static_cast<std::int32_t>(nla_get_u32(bss[NL80211_BSS_SIGNAL_MBM]));
    }
    if (bss[NL80211_BSS_SEEN_MS_AGO]) {
        out.hasSeenMsAgo = true;
        out.seenMsAgo = nla_get_u32(bss[NL80211_BSS_SEEN_MS_AGO]);
    }
    nlattr* ies = bss[NL80211_BSS_INFORMATION_ELEMENTS] ? bss[NL80211_BSS_INFORMATION_ELEMENTS]
                                                        : bss[NL80211_BSS_BEACON_IES];
    if (ies && nla_len(ies) > 0)
        out.ssid = SsidOfElements(static_cast<const std::uint8_t*>(nla_data(ies)),
                                  static_cast<std::size_t>(nla_len(ies)));
    return true;
}

} // namespace

Nl80211Parser::Event Nl80211Parser::OnMessage(std::span<const std::uint8_t> message, std::int64_t timeNs) {
    if (message.size() < kNlHeader) return Event::Malformed;
    const std::uint32_t length = LoadU32(message.data());
    if (length < kNlHeader || length > message.size()) return Event::Malformed;
    const std::uint16_t type = LoadU16(message.data() + 4);
    if (type == NLMSG_DONE) return OnDone(timeNs);
    if (type == NLMSG_ERROR) return OnError(message.first(length));
    if (type < NLMSG_MIN_TYPE) return Event::None; // no-op and overrun notices
    // libnl reads the headers and attributes in place: give it a copy at netlink's alignment.
    m_aligned.assign((length + 3) / 4, 0);
    std::memcpy(m_aligned.data(), message.data(), length);
    return OnGeneric(m_aligned.data());
}

Nl80211Parser::Event Nl80211Parser::OnGeneric(const void* header) {
    auto* nlh = static_cast<nlmsghdr*>(const_cast<void*>(header));
    if (!genlmsg_valid_hdr(nlh, 0)) return Event::Malformed;
    const auto* genl = static_cast<const genlmsghdr*>(nlmsg_data(nlh));
    nlattr* tb[NL80211_ATTR_MAX + 1] = {};
    if (genlmsg_parse(nlh, 0, tb, NL80211_ATTR_MAX, nullptr) < 0) return Event::Malformed;
    switch (genl->cmd) {
    case NL80211_CMD_NEW_SCAN_RESULTS:
        // A dump entry carries one BSS; the multicast notice of new results carries none.
        if (!tb[NL80211_ATTR_BSS]) return Event::ScanNotification;
        m_current = Dump::Scan;
        if (BssEntry e; ParseBss(tb[NL80211_ATTR_BSS], e))
            m_bss.push_back(std::move(e));
        else
            ++m_skipped;
        return Event::None;
    case NL80211_CMD_SCAN_ABORTED:
        return Event::ScanNotification;
    case NL80211_CMD_NEW_SURVEY_RESULTS: {
        m_current = Dump::Survey;
        if (!tb[NL80211_ATTR_SURVEY_INFO]) return Event::None;
        nlattr* info[NL80211_SURVEY_INFO_MAX + 1] = {};
        if (nla_parse_nested(info, NL80211_SURVEY_INFO_MAX, tb[NL80211_ATTR_SURVEY_INFO],
                             const_cast<nla_policy*>(ThePolicies().survey)) < 0)
            return Event::Malformed;
        if (info[NL80211_SURVEY_INFO_FREQUENCY] && info[NL80211_SURVEY_INFO_NOISE])
            m_surveyInProgress.push_back(
                {nla_get_u32(info[NL80211_SURVEY_INFO_FREQUENCY]),
                 static_cast<std::int8_t>(nla_get_u8(info[NL80211_SURVEY_INFO_NOISE]))});
        return Event::None;
    }
    default:
        return Event::None;
    }
}

Nl80211Parser::Event Nl80211Parser::OnDone(std::int64_t timeNs) {
    // An empty dump says nothing of its kind. Plotra dumps the survey and then the scan results, so
    // an empty dump after a survey dump is a scan that found nothing, and any other an empty survey.
    Dump kind = m_current;
    if (kind == Dump::None) kind = m_last == Dump::Survey ? Dump::Scan : Dump::Survey;
    m_current = Dump::None;
    m_last = kind;
    if (kind == Dump::Survey) {
        m_noise = std::move(m_surveyInProgress);
        m_surveyInProgress.clear();
        return Event::SurveyComplete;
    }
    m_completed.timeNs = timeNs;
    m_completed.bss = std::move(m_bss);
    m_completed.noise = m_noise;
    m_bss.clear();
    return Event::ScanComplete;
}

Nl80211Parser::Event Nl80211Parser::OnError(std::span<const std::uint8_t> message) {
    if (message.size() < kNlHeader + 4) return Event::Malformed;
    const std::int32_t code = LoadI32(message.data() + kNlHeader);
    if (code == 0) return Event::None; // an acknowledgement
    // The error ends the dump in progress; what it had gathered is dropped. An error before any
    // entry is taken for the survey (adapters without a channel survey refuse that dump).
    m_last = m_current == Dump::None ? Dump::Survey : m_current;
    m_current = Dump::None;
    m_bss.clear();
    m_surveyInProgress.clear();
    m_error = code;
    return Event::DumpFailed;
}

} // namespace plotra::capture
