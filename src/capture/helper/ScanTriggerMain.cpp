// plotra-scan-trigger IFNAME: asks the kernel for one Wi-Fi scan on IFNAME and exits. It does
// nothing else, so that it can be given cap_net_admin (setcap) while plotra itself runs without
// any privilege. Exit status 0 when the scan was started, 1 when the kernel refused it (busy, rate
// limited, no such interface), 2 for a usage error.
#include <linux/nl80211.h>
#include <net/if.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/netlink.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 || std::strlen(argv[1]) >= IF_NAMESIZE) {
        std::fputs("Usage: plotra-scan-trigger IFNAME\n", stderr);
        return 2;
    }
    const unsigned index = if_nametoindex(argv[1]);
    if (index == 0) {
        std::fprintf(stderr, "plotra-scan-trigger: no interface %s\n", argv[1]);
        return 1;
    }
    nl_sock* sock = nl_socket_alloc();
    if (!sock || genl_connect(sock) < 0) {
        std::fputs("plotra-scan-trigger: no netlink\n", stderr);
        return 1;
    }
    int result = 1;
    const int family = genl_ctrl_resolve(sock, "nl80211");
    nl_msg* msg = family >= 0 ? nlmsg_alloc() : nullptr;
    if (msg) {
        genlmsg_put(msg, NL_AUTO_PORT, NL_AUTO_SEQ, family, 0, 0, NL80211_CMD_TRIGGER_SCAN, 0);
        nla_put_u32(msg, NL80211_ATTR_IFINDEX, index);
        // One wildcard SSID: an active scan, which hears the access points that do not beacon often.
        nlattr* ssids = nla_nest_start(msg, NL80211_ATTR_SCAN_SSIDS);
        nla_put(msg, 1, 0, "");
        nla_nest_end(msg, ssids);
        // The kernel answers with an acknowledgement or an error (EBUSY while a scan runs).
        const int err = nl_send_sync(sock, msg); // frees msg
        if (err < 0)
            std::fprintf(stderr, "plotra-scan-trigger: %s\n", nl_geterror(err));
        else
            result = 0;
    } else {
        std::fputs("plotra-scan-trigger: nl80211 is not available\n", stderr);
    }
    nl_socket_free(sock);
    return result;
}
