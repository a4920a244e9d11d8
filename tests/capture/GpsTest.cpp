// gpsd's reports: the line parser, placement among fixes, a live gpsd over TCP (a loopback server
// speaking its protocol inside the test, and gpsfake as a slow test).
#include "RecordingBuilder.h"
#include "capture/CaptureSession.h"
#include "capture/FixTrack.h"
#include "capture/SimulatedRecording.h"
#include "capture/Sources.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace plotra;
using namespace plotra::capture;
using namespace plotra::test;

TEST(GpsReports, TpvAndSkyLinesAsGpsdWritesThem) {
    const auto tpv = ParseGpsLine(Tpv("2026-12-07T12:00:01.250Z", 3, 46.948123456, -7.25, 540.5, 1.4));
    ASSERT_TRUE(tpv);
    EXPECT_EQ(tpv->kind, GpsReport::Kind::Tpv);
    EXPECT_TRUE(tpv->IsFix());
    EXPECT_DOUBLE_EQ(tpv->lat, 46.948123456);
    EXPECT_DOUBLE_EQ(tpv->lon, -7.25);
    EXPECT_DOUBLE_EQ(tpv->altitudeM, 540.5); // mean sea level, not the ellipsoid height beside it
    EXPECT_DOUBLE_EQ(tpv->speedMps, 1.4);
    EXPECT_EQ(tpv->timeNs, ParseIsoUtc("2026-12-07T12:00:01Z").value() + 250'000'000);
    EXPECT_EQ(ParseIsoUtc("1970-01-01T00:00:00.000Z"), 0);
    EXPECT_EQ(ParseIsoUtc("2000-03-01T00:00:00Z"), 951868800LL * kSecond);
    EXPECT_EQ(IsoUtcText(951868800LL * kSecond + 5'000'000), "2000-03-01T00:00:00.005Z");

    // No fix: mode 1, or a fix without a position or a time.
    EXPECT_FALSE(ParseGpsLine(R"({"class":"TPV","mode":1,"time":"2026-12-07T12:00:01.000Z"})")->IsFix());
    EXPECT_FALSE(ParseGpsLine(R"({"class":"TPV","mode":3,"lat":1.0,"lon":2.0})")->IsFix());
    EXPECT_FALSE(
        ParseGpsLine(R"({"class":"TPV","mode":2,"time":"2026-12-07T12:00:01.000Z","lat":1})")->IsFix());
    // Older gpsd: "alt"; nested members and escapes are skipped.
    const auto old = ParseGpsLine(
        R"({"class":"TPV","tag":"a\"b","mode":2,"time":"2010-01-01T00:00:00.000Z","x":{"y":[1,{"z":"}"}]},"lat":1,"lon":2,"alt":3})");
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->IsFix());
    EXPECT_DOUBLE_EQ(old->altitudeM, 3);

    EXPECT_EQ(ParseGpsLine(R"({"class":"SKY","nSat":12,"uSat":8})")->satellitesUsed, 8);
    EXPECT_EQ(ParseGpsLine(R"({"class":"SKY","satellites":[{"PRN":1,"used":true},{"PRN":2,"used":false},)"
                           R"({"PRN":3,"used":true}]})")
                  ->satellitesUsed,
              2);
    EXPECT_EQ(ParseGpsLine(R"({"class":"VERSION","release":"3.22"})")->kind, GpsReport::Kind::Other);
    for (const char* bad :
         {"", "not json", "{", "{\"class\"", "{\"class\":\"TPV\",", "{\"mode\":3}",
          "{\"class\":\"TPV\",\"lat\":}", "[1,2]", "{\"class\":\"TPV\",\"time\":\"2026-13-01T00:00:00Z\"}"})
        EXPECT_FALSE(ParseGpsLine(bad) && ParseGpsLine(bad)->IsFix()) << bad;
}

TEST(GpsReports, PlacementUsesFixesWithinTwoSeconds) {
    const auto fix = [](std::int64_t t, double lat, int mode = 3) {
        GpsReport r;
        r.kind = GpsReport::Kind::Tpv;
        r.mode = mode;
        r.hasTime = r.hasLat = r.hasLon = true;
        r.timeNs = t;
        r.lat = lat;
        r.lon = -lat;
        return r;
    };
    FixTrack track;
    track.Add(fix(10 * kSecond, 10));
    track.Add(fix(12 * kSecond, 12, 2));
    track.Add(fix(11 * kSecond, 99));    // out of order: dropped
    track.Add(fix(20 * kSecond, 20, 1)); // mode 1 is no fix
    track.Add(fix(30 * kSecond, 30));
    EXPECT_EQ(track.Size(), 3u);
    EXPECT_DOUBLE_EQ(track.Place(11 * kSecond)->lat, 11); // between 10 and 12
    EXPECT_DOUBLE_EQ(track.Place(11 * kSecond)->lon, -11);
    EXPECT_EQ(track.Place(11 * kSecond)->fix, 1);
    EXPECT_EQ(track.Place(10 * kSecond)->fix, 2);
    EXPECT_DOUBLE_EQ(track.Place(14 * kSecond)->lat, 12); // 2 s after the last: still that fix
    EXPECT_FALSE(track.Place(14 * kSecond + 1));
    EXPECT_DOUBLE_EQ(track.Place(28 * kSecond)->lat, 30); // only the fix after lies within 2 s
    EXPECT_FALSE(track.Place(27 * kSecond));
    EXPECT_FALSE(track.Place(8 * kSecond - 1));
    track.Forget(40 * kSecond);
    EXPECT_EQ(track.Size(), 1u);
}

namespace {

/// \brief A gpsd stand-in on a free loopback port: greets with VERSION, waits for ?WATCH, then sends
/// the lines it was given and keeps the connection open until it is destroyed.
class LoopbackGpsd {
  public:
    explicit LoopbackGpsd(std::vector<std::string> lines) : m_lines(std::move(lines)) {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        ::listen(m_listen, 1);
        m_thread = std::thread([this] { Serve(); });
    }
    ~LoopbackGpsd() {
        ::shutdown(m_listen, SHUT_RDWR);
        if (m_client >= 0) ::shutdown(m_client, SHUT_RDWR);
        m_thread.join();
        ::close(m_listen);
        if (m_client >= 0) ::close(m_client);
    }
    int Port() const { return m_port; }
    std::string Watch() const { return m_watch; }

  private:
    void Serve() {
        m_client = ::accept(m_listen, nullptr, nullptr);
        if (m_client < 0) return;
        const std::string version =
            R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,"proto_minor":14})"
            "\n";
        ::send(m_client, version.data(), version.size(), MSG_NOSIGNAL);
        char buf[256];
        const ssize_t n = ::recv(m_client, buf, sizeof buf, 0);
        if (n > 0) m_watch.assign(buf, static_cast<std::size_t>(n));
        for (const auto& l : m_lines) {
            const std::string line = l + "\n";
            ::send(m_client, line.data(), line.size(), MSG_NOSIGNAL);
        }
        char rest[64];
        while (::recv(m_client, rest, sizeof rest, 0) > 0) {
        }
    }
    std::vector<std::string> m_lines;
    int m_listen = -1, m_client = -1, m_port = 0;
    std::string m_watch;
    std::thread m_thread;
};

} // namespace

TEST(GpsdLive, ReportsArriveOverTcpAndAnUnreachableGpsdIsNamed) {
    const std::int64_t t = 1'800'000'000LL * kSecond;
    LoopbackGpsd gpsd({Tpv(IsoUtcText(t), 3, 46.1, 7.1), R"({"class":"SKY","uSat":6})",
                       Tpv(IsoUtcText(t + kSecond), 3, 46.2, 7.2),
                       Tpv(IsoUtcText(t + 2 * kSecond), 3, 46.3, 7.3)});
    std::string error;
    auto client = GpsdClient::Connect("127.0.0.1", gpsd.Port(), &error);
    ASSERT_TRUE(client) << error;
    FixTrack track;
    int sky = -1;
    const auto sink = [&](const GpsReport& r) {
        track.Add(r);
        if (r.kind == GpsReport::Kind::Sky) sky = r.satellitesUsed;
    };
    EXPECT_EQ(client->FeedUntil(t + kSecond, 5000, sink, &error), SourceResult::Ok);
    EXPECT_GE(track.Size(), 2u);
    EXPECT_EQ(sky, 6);
    EXPECT_DOUBLE_EQ(track.Place(t + kSecond / 2)->lat, 46.15);
    EXPECT_NE(gpsd.Watch().find(R"(?WATCH={"enable":true,"json":true})"), std::string::npos);
    // Nothing more comes: the wait ends at its limit.
    EXPECT_EQ(client->FeedUntil(t + 60 * kSecond, 300, sink, &error), SourceResult::Ok);
    EXPECT_DOUBLE_EQ(track.Place(t + 2 * kSecond)->lat, 46.3);

    // A port nobody listens on: the refusal names it.
    const int closedPort = [] {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        ::close(s);
        return static_cast<int>(ntohs(a.sin_port));
    }();
    EXPECT_FALSE(GpsdClient::Connect("127.0.0.1", closedPort, &error));
    EXPECT_EQ(error, "Cannot reach gpsd at 127.0.0.1:" + std::to_string(closedPort) + ". Is gpsd running?");
    std::string host;
    int port = 0;
    EXPECT_TRUE(ParseHostPort("localhost:2947", host, port));
    EXPECT_EQ(host + ":" + std::to_string(port), "localhost:2947");
    EXPECT_TRUE(ParseHostPort("gps.local", host, port));
    EXPECT_EQ(port, 2947);
    EXPECT_TRUE(ParseHostPort("[::1]:3000", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_FALSE(ParseHostPort("localhost:70000", host, port));
    EXPECT_FALSE(ParseHostPort("localhost:x", host, port));
}

namespace {

std::string Nmea(const std::string& body) {
    unsigned char sum = 0;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

} // namespace

// The real gpsd, fed an NMEA log by gpsfake on a free port (label "slow": PLOTRA_SLOW_TESTS=1).
TEST(CaptureSlow, GpsfakeFixesReachTheClient) {
    if (!std::getenv("PLOTRA_SLOW_TESTS")) GTEST_SKIP() << "set PLOTRA_SLOW_TESTS=1 (ctest -L slow)";
    const char* gpsfake = ::access("/usr/bin/gpsfake", X_OK) == 0 ? "/usr/bin/gpsfake" : nullptr;
    if (!gpsfake) GTEST_SKIP() << "gpsfake is not installed (Debian gpsd-clients)";
    TempDir dir;
    std::string log;
    for (int s = 0; s < 30; ++s) {
        char t[16];
        std::snprintf(t, sizeof t, "1200%02d.00", s);
        log += Nmea(std::string("GPGGA,") + t + ",4656.9000,N,00726.8000,E,1,08,0.9,540.0,M,47.0,M,,");
        log += Nmea(std::string("GPRMC,") + t + ",A,4656.9000,N,00726.8000,E,2.7,90.0,071226,,,A");
        log += Nmea("GPGSA,A,3,01,02,03,04,05,06,07,08,,,,,1.5,0.9,1.2");
    }
    std::ofstream(dir.File("walk.nmea")) << log;
    const int port = FreePort();
    const std::string portText = std::to_string(port);
    // gpsd lives in /usr/sbin, which a test's PATH may lack.
    const std::string path =
        std::string("PATH=/usr/sbin:/usr/bin:/bin:") + (std::getenv("PATH") ? std::getenv("PATH") : "");
    std::vector<std::string> args{gpsfake, "-q", "-1", "-c", "0.1", "-P", portText, dir.File("walk.nmea")};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText{path};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "PATH=", 5) != 0) envText.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, gpsfake, nullptr, nullptr, argv.data(), envp.data()), 0);
    std::unique_ptr<GpsdClient> client;
    std::string error;
    for (int i = 0; i < 50 && !client; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        client = GpsdClient::Connect("127.0.0.1", port, &error);
    }
    FixTrack track;
    if (client)
        for (int i = 0; i < 20 && track.Size() == 0; ++i)
            client->FeedUntil(
                INT64_MAX / 2, 500, [&](const GpsReport& r) { track.Add(r); }, &error);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(client) << error;
    ASSERT_GT(track.Size(), 0u) << "no fix from gpsfake";
}

// The live GPS path of a capture end to end: scans replayed, positions from a gpsd over TCP.
TEST(GpsdLive, ACapturePlacesItsScansByALiveGpsd) {
    TempDir dir;
    const std::int64_t t0 = 1'800'000'000LL * kSecond;
    RecordingBuilder rec;
    std::vector<std::string> lines;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t t = t0 + i * kSecond;
        rec.Bss(t - 1, TestBss{{2, 0, 0, 0, 0, 7}, "Live", 2462, -6100, 10}).Done(t);
        lines.push_back(Tpv(IsoUtcText(t), 3, 46.5 + i * 0.001, 7.5, 500, 1.5));
    }
    lines.push_back(R"({"class":"SKY","uSat":10})");
    rec.WriteTo(dir.File("scans.rec"));
    LoopbackGpsd gpsd(lines);
    std::string error;
    auto client = GpsdClient::Connect("localhost", gpsd.Port(), &error);
    ASSERT_TRUE(client) << error;
    CaptureSession session(ReplayScanSource::Open(dir.File("scans.rec"), &error), std::move(client), {});
    ASSERT_TRUE(session.Start(dir.File("live.hsd"), &error)) << error;
    while (session.RunStep() == CaptureSession::Step::Continue) {
    }
    EXPECT_TRUE(session.Error().empty()) << session.Error();
    const auto points = session.TakeAppended();
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[2].m_rec.m_nLatMas, ToMas(46.502));
    EXPECT_EQ(points[2].m_rec.m_wSpeedCms, 150);
    EXPECT_EQ(points[0].m_aReadings.at(0).m_byChannel, 11);
    EXPECT_EQ(session.Status().fixMode, 3);
    EXPECT_TRUE(session.Stop(&error));
}
