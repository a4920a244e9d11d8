#include "capture/LiveScanSource.h"

#include <linux/nl80211.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <thread>
#include <vector>

namespace plotra::capture {

namespace {

constexpr char kNoAdapter[] = "No Wi-Fi adapter found (nl80211 is not available on this system).";
/// A triggered scan that has not reported after this long is given up; its results are read anyway.
constexpr int kMaxScanWaitMs = 20000;

struct SocketFree {
    void operator()(nl_sock* s) const { nl_socket_free(s); }
};
using Socket = std::unique_ptr<nl_sock, SocketFree>;

std::int64_t RealtimeNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Interface {
    std::uint32_t index = 0;
    std::string name;
    std::uint32_t type = 0;
};

class LiveScanSource : public ScanSource {
  public:
    bool Open(LiveScanOptions& options, std::string* error);
    SourceResult Next(CompletedScan& scan, std::string* error) override;
    bool IsLive() const override { return true; }
    long RefusedTriggers() const override { return m_refused; }
    const std::string& Name() const { return m_if.name; }

  private:
    static int OnValid(nl_msg* msg, void* self);
    static int OnEvent(nl_msg* msg, void* self);
    int Dump(std::uint8_t command, bool withInterface);
    bool WaitForResults(int timeoutMs);
    bool Sleep(std::chrono::steady_clock::time_point until);

    Socket m_sock, m_events;
    int m_family = -1;
    Interface m_if;
    double m_intervalS = 5;
    std::unique_ptr<ScanTrigger> m_trigger;
    LiveMessageSink m_sink;
    bool m_discovering = false;
    std::vector<Interface> m_found;
    bool m_resultsAnnounced = false;
    long m_refused = 0;
    std::chrono::steady_clock::time_point m_nextCycle{};
};

int LiveScanSource::OnValid(nl_msg* msg, void* arg) {
    auto* self = static_cast<LiveScanSource*>(arg);
    if (!self->m_discovering) return NL_SKIP;
    nlattr* tb[NL80211_ATTR_MAX + 1] = {};
    if (genlmsg_parse(nlmsg_hdr(msg), 0, tb, NL80211_ATTR_MAX, nullptr) < 0) return NL_SKIP;
    if (!tb[NL80211_ATTR_IFINDEX] || !tb[NL80211_ATTR_IFNAME] || nla_len(tb[NL80211_ATTR_IFINDEX]) < 4)
        return NL_SKIP;
    Interface i;
    i.index = nla_get_u32(tb[NL80211_ATTR_IFINDEX]);
    i.name.assign(static_cast<const char*>(nla_data(tb[NL80211_ATTR_IFNAME])),
                  strnlen(static_cast<const char*>(nla_data(tb[NL80211_ATTR_IFNAME])),
                          static_cast<std::size_t>(nla_len(tb[NL80211_ATTR_IFNAME]))));
    if (tb[NL80211_ATTR_IFTYPE] && nla_len(tb[NL80211_ATTR_IFTYPE]) >= 4)
        i.type = nla_get_u32(tb[NL80211_ATTR_IFTYPE]);
    self->m_found.push_back(i);
    return NL_SKIP;
}

int LiveScanSource::OnEvent(nl_msg* msg, void* arg) {
    auto* self = static_cast<LiveScanSource*>(arg);
    const auto* genl = static_cast<const genlmsghdr*>(nlmsg_data(nlmsg_hdr(msg)));
    nlattr* tb[NL80211_ATTR_MAX + 1] = {};
    if (genlmsg_parse(nlmsg_hdr(msg), 0, tb, NL80211_ATTR_MAX, nullptr) < 0) return NL_SKIP;
    const bool ours = tb[NL80211_ATTR_IFINDEX] && nla_len(tb[NL80211_ATTR_IFINDEX]) >= 4 &&
                      nla_get_u32(tb[NL80211_ATTR_IFINDEX]) == self->m_if.index;
    if (ours && (genl->cmd == NL80211_CMD_NEW_SCAN_RESULTS || genl->cmd == NL80211_CMD_SCAN_ABORTED))
        self->m_resultsAnnounced = true;
    return NL_SKIP;
}

int LiveScanSource::Dump(std::uint8_t command, bool withInterface) {
    nl_msg* msg = nlmsg_alloc();
    if (!msg) return -NLE_NOMEM;
    genlmsg_put(msg, NL_AUTO_PORT, NL_AUTO_SEQ, m_family, 0, NLM_F_DUMP, command, 0);
    if (withInterface) nla_put_u32(msg, NL80211_ATTR_IFINDEX, m_if.index);
    int err = nl_send_auto(m_sock.get(), msg);
    nlmsg_free(msg);
    if (err < 0) return err;
    return nl_recvmsgs_default(m_sock.get());
}

bool LiveScanSource::Open(LiveScanOptions& options, std::string* error) {
    const auto refuse = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    m_sock.reset(nl_socket_alloc());
    if (!m_sock || genl_connect(m_sock.get()) < 0) return refuse(kNoAdapter);
    m_family = genl_ctrl_resolve(m_sock.get(), "nl80211");
    if (m_family < 0) return refuse(kNoAdapter);
    nl_socket_modify_cb(m_sock.get(), NL_CB_MSG_IN, NL_CB_CUSTOM, &LiveMessageSink::OnMessageIn, &m_sink);
    nl_socket_modify_cb(m_sock.get(), NL_CB_VALID, NL_CB_CUSTOM, &LiveScanSource::OnValid, this);
    m_discovering = m_sink.ignore = true;
    const int found = Dump(NL80211_CMD_GET_INTERFACE, false);
    m_discovering = m_sink.ignore = false;
    if (found < 0) return refuse(kNoAdapter);
    std::string names;
    for (const auto& i : m_found) {
        names += (names.empty() ? "" : ", ") + i.name;
        if (options.interfaceName.empty() ? i.type == NL80211_IFTYPE_STATION
                                          : i.name == options.interfaceName) {
            m_if = i;
            break;
        }
    }
    if (m_if.index == 0) {
        if (options.interfaceName.empty()) return refuse("No Wi-Fi adapter found.");
        return refuse("No Wi-Fi adapter named " + options.interfaceName + " (" +
                      (names.empty() ? std::string("there is none") : "there are: " + names) + ").");
    }
    // The scan group announces finished and aborted scans; without it the capture still works,
    // reading the results once per interval.
    m_events.reset(nl_socket_alloc());
    const int group = genl_ctrl_resolve_grp(m_sock.get(), "nl80211", NL80211_MULTICAST_GROUP_SCAN);
    if (m_events && genl_connect(m_events.get()) >= 0 && group >= 0) {
        nl_socket_disable_seq_check(m_events.get());
        nl_socket_modify_cb(m_events.get(), NL_CB_VALID, NL_CB_CUSTOM, &LiveScanSource::OnEvent, this);
        nl_socket_add_membership(m_events.get(), group);
        nl_socket_set_nonblocking(m_events.get());
    } else {
        m_events.reset();
    }
    if (!options.recordPath.empty() && !m_sink.recorder.Open(options.recordPath, error)) return false;
    m_intervalS = std::max(0.5, options.scanIntervalS);
    m_trigger = std::move(options.trigger);
    return true;
}

bool LiveScanSource::Sleep(std::chrono::steady_clock::time_point until) {
    while (!m_stop && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return !m_stop;
}

bool LiveScanSource::WaitForResults(int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_events && !m_stop && !m_resultsAnnounced && std::chrono::steady_clock::now() < until) {
        pollfd p{nl_socket_get_fd(m_events.get()), POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) nl_recvmsgs_default(m_events.get());
    }
    return !m_stop;
}

SourceResult LiveScanSource::Next(CompletedScan& scan, std::string* error) {
    if (!Sleep(m_nextCycle)) return SourceResult::Stopped;
    m_nextCycle =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(m_intervalS * 1000));
    m_resultsAnnounced = false;
    if (m_events) nl_recvmsgs_default(m_events.get()); // forget announcements of earlier scans
    m_resultsAnnounced = false;
    std::string why;
    if (m_trigger && m_trigger->Request(m_if.name, &why)) {
        if (!WaitForResults(kMaxScanWaitMs)) return SourceResult::Stopped;
    } else if (m_trigger) {
        ++m_refused; // busy or rate-limited: read what the kernel has
    }
    Dump(NL80211_CMD_GET_SURVEY, true); // adapters without a channel survey refuse it: the floor
    m_sink.ready.reset();
    const int err = Dump(NL80211_CMD_GET_SCAN, true);
    if (m_sink.recorder.IsOpen()) m_sink.recorder.Flush();
    if (!m_sink.ready) {
        if (error)
            *error = "The Wi-Fi adapter " + m_if.name + " stopped answering (" +
                     nl_geterror(err < 0 ? err : 0) + ").";
        return SourceResult::Failed;
    }
    scan = std::move(*m_sink.ready);
    m_sink.ready.reset();
    return SourceResult::Ok;
}

} // namespace

int LiveMessageSink::OnMessageIn(nl_msg* msg, void* arg) {
    auto* sink = static_cast<LiveMessageSink*>(arg);
    if (sink->ignore) return NL_OK;
    const nlmsghdr* h = nlmsg_hdr(msg);
    // libnl hands on only messages whose length lies within what it received.
    sink->Take(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(h), h->nlmsg_len),
               RealtimeNs());
    return NL_OK;
}

void LiveMessageSink::Take(std::span<const std::uint8_t> message, std::int64_t timeNs) {
    if (recorder.IsOpen()) recorder.Append(static_cast<std::uint64_t>(timeNs), message);
    if (parser.OnMessage(message, timeNs) == Nl80211Parser::Event::ScanComplete) ready = parser.TakeScan();
}

std::unique_ptr<ScanSource> OpenLiveScanSource(LiveScanOptions options, std::string* error) {
    auto source = std::make_unique<LiveScanSource>();
    if (!source->Open(options, error)) return nullptr;
    return source;
}

std::string LiveInterfaceName(const ScanSource& source) {
    const auto* live = dynamic_cast<const LiveScanSource*>(&source);
    return live ? live->Name() : std::string();
}

} // namespace plotra::capture
