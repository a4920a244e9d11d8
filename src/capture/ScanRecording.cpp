#include "capture/ScanRecording.h"

#include "model/Bytes.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace plotra::capture {

std::string CheckNetlinkFrame(std::span<const std::uint8_t> message) {
    if (message.size() < kNetlinkHeaderSize)
        return "its " + std::to_string(message.size()) + " bytes cannot hold a netlink header";
    const std::uint32_t length = LoadU32(message.data());
    // The kernel pads every message to 4 bytes; a writer may or may not keep the padding.
    if (length < kNetlinkHeaderSize || length > message.size() || message.size() - length >= 4)
        return "its netlink length " + std::to_string(length) + " does not match the frame's " +
               std::to_string(message.size()) + " bytes";
    return {};
}

bool ScanRecordingReader::Open(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error) *error = "Cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    m_owned.reset(f);
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0) {
        if (error) *error = "Cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return Attach(f, static_cast<std::uint64_t>(st.st_size), path, error);
}

bool ScanRecordingReader::Attach(std::FILE* stream, std::uint64_t size, const std::string& name,
                                 std::string* error) {
    m_stream = stream;
    m_size = size;
    m_name = name;
    m_frames = 0;
    char magic[kScanRecordingMagicSize] = {};
    if (size < kScanRecordingMagicSize || std::fread(magic, 1, sizeof magic, stream) != sizeof magic ||
        std::memcmp(magic, kScanRecordingMagic, sizeof magic) != 0) {
        if (error) *error = name + " is not a scan recording (it does not begin with PLNLREC1).";
        m_stream = nullptr;
        return false;
    }
    m_pos = kScanRecordingMagicSize;
    return true;
}

ScanRecordingReader::Result ScanRecordingReader::Next(RecordedFrame& frame, std::string* error) {
    if (!m_stream || m_pos >= m_size) return Result::End;
    const long number = m_frames + 1;
    const std::uint64_t offset = m_pos;
    const auto refuse = [&](const std::string& why) {
        if (error)
            *error = m_name + ": frame " + std::to_string(number) + " at offset " + std::to_string(offset) +
                     " " + why + ".";
        m_stream = nullptr; // nothing after a damaged frame can be trusted
        return Result::Malformed;
    };
    std::uint8_t header[kFrameHeaderSize];
    if (m_size - m_pos < kFrameHeaderSize || std::fread(header, 1, sizeof header, m_stream) != sizeof header)
        return refuse("is truncated (its header runs past the end of the recording)");
    m_pos += kFrameHeaderSize;
    const std::uint64_t timeNs = LoadU64(header);
    const std::uint32_t length = LoadU32(header + 8);
    if (length > m_size - m_pos)
        return refuse("is truncated (its " + std::to_string(length) +
                      " bytes run past the end of the recording)");
    if (length > kMaxFrameSize)
        return refuse("is malformed: a length of " + std::to_string(length) + " bytes");
    m_buffer.resize(length);
    if (std::fread(m_buffer.data(), 1, length, m_stream) != length)
        return refuse("is truncated (the recording could not be read to its end)");
    m_pos += length;
    const std::string why = CheckNetlinkFrame(m_buffer);
    if (!why.empty()) return refuse("is malformed: " + why);
    m_frames = number;
    frame.timeNs = timeNs;
    frame.message = m_buffer;
    frame.number = number;
    frame.offset = offset;
    return Result::Frame;
}

void AppendFrame(std::vector<std::uint8_t>& out, std::uint64_t timeNs,
                 std::span<const std::uint8_t> message) {
    std::uint8_t header[kFrameHeaderSize];
    StoreU64(header, timeNs);
    StoreU32(header + 8, static_cast<std::uint32_t>(message.size()));
    out.insert(out.end(), header, header + sizeof header);
    out.insert(out.end(), message.begin(), message.end());
}

bool ScanRecordingWriter::Open(const std::string& path, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        if (error) *error = "Cannot write the scan recording " + path + ": " + std::strerror(errno);
        return false;
    }
    m_file.reset(f);
    if (std::fwrite(kScanRecordingMagic, 1, kScanRecordingMagicSize, f) != kScanRecordingMagicSize ||
        !Flush()) {
        if (error) *error = "Cannot write the scan recording " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ScanRecordingWriter::Append(std::uint64_t timeNs, std::span<const std::uint8_t> message) {
    if (!m_file) return false;
    std::vector<std::uint8_t> frame;
    frame.reserve(kFrameHeaderSize + message.size());
    AppendFrame(frame, timeNs, message);
    return std::fwrite(frame.data(), 1, frame.size(), m_file.get()) == frame.size();
}

bool ScanRecordingWriter::Flush() {
    return m_file && std::fflush(m_file.get()) == 0;
}

} // namespace plotra::capture
