// The live adapter's message callback, driven with the nl_msg objects libnl would hand it: it parses
// what a replay parses, and what it records (--record-scans) replays to the same scans.
#include "RecordingBuilder.h"
#include "capture/LiveScanSource.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace plotra;
using namespace plotra::test;

TEST(LiveSink, WhatTheLiveCallbackRecordsReplaysToTheSameScans) {
    TempDir dir;
    RecordingBuilder rec;
    const std::int64_t t = 1'800'000'000LL * kSecond;
    rec.Survey(t, 2412, -91).Done(t);
    rec.Bss(t, TestBss{{2, 0, 0, 0, 0, 1}, "One", 2412, -4512, 40})
        .Bss(t, TestBss{{2, 0, 0, 0, 0, 2}, "", 5500, -7777, 20});
    rec.Done(t + 1).Error(t + 2, -95).Done(t + 3); // a refused survey, then a scan that heard nothing
    rec.WriteTo(dir.File("source.rec"));

    capture::LiveMessageSink sink;
    std::string error;
    ASSERT_TRUE(sink.recorder.Open(dir.File("recorded.rec"), &error)) << error;
    capture::ScanRecordingReader reader;
    ASSERT_TRUE(reader.Open(dir.File("source.rec"), &error));
    capture::RecordedFrame frame;
    std::vector<capture::CompletedScan> live;
    while (reader.Next(frame, &error) == capture::ScanRecordingReader::Result::Frame) {
        std::vector<std::uint32_t> aligned((frame.message.size() + 3) / 4);
        std::memcpy(aligned.data(), frame.message.data(), frame.message.size());
        nl_msg* msg = nlmsg_convert(reinterpret_cast<nlmsghdr*>(aligned.data()));
        ASSERT_NE(msg, nullptr);
        EXPECT_EQ(capture::LiveMessageSink::OnMessageIn(msg, &sink), NL_OK);
        nlmsg_free(msg);
        if (sink.ready) live.push_back(*std::exchange(sink.ready, std::nullopt));
    }
    ASSERT_TRUE(sink.recorder.Flush());
    ASSERT_EQ(live.size(), 2u);
    ASSERT_EQ(live[0].bss.size(), 2u);
    EXPECT_EQ(live[0].bss[0].signalMbm, -4512);
    EXPECT_EQ(live[0].bss[1].ssid, "");
    EXPECT_EQ(live[0].bss[1].frequencyMhz, 5500u);
    ASSERT_EQ(live[0].noise.size(), 1u);
    EXPECT_EQ(live[0].noise[0].noiseDbm, -91);
    EXPECT_TRUE(live[1].bss.empty());

    // The recording holds the messages as received, in the documented frames: it replays to the same.
    auto replay = capture::ReplayScanSource::Open(dir.File("recorded.rec"), &error);
    ASSERT_TRUE(replay) << error;
    capture::CompletedScan scan;
    std::size_t n = 0;
    while (replay->Next(scan, &error) == capture::SourceResult::Ok) {
        ASSERT_LT(n, live.size());
        EXPECT_EQ(scan.bss.size(), live[n].bss.size());
        EXPECT_EQ(scan.noise.size(), live[n].noise.size());
        if (!scan.bss.empty()) {
            EXPECT_EQ(scan.bss[0].bssid, live[n].bss[0].bssid);
        }
        ++n;
    }
    EXPECT_EQ(n, live.size());
    EXPECT_TRUE(error.empty()) << error;

    // Set-up traffic (the interface query) is neither recorded nor parsed.
    sink.ignore = true;
    nl_msg* done = nlmsg_alloc_simple(NLMSG_DONE, 0);
    std::int32_t zero = 0;
    nlmsg_append(done, &zero, sizeof zero, NLMSG_ALIGNTO);
    capture::LiveMessageSink::OnMessageIn(done, &sink);
    nlmsg_free(done);
    EXPECT_FALSE(sink.ready);
}
