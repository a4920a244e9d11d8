#pragma once
/// \brief Scan recordings: the kernel's nl80211 messages framed with their time, so that a capture
/// can be replayed through the same parsing code as a live adapter. The layout is fixed (other tools
/// write it, see docs/capture.md): the 8 bytes "PLNLREC1", then frames of [u64 LE Unix time in ns]
/// [u32 LE length N][N bytes: one netlink message as the kernel sent it].

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace plotra::capture {

inline constexpr char kScanRecordingMagic[] = "PLNLREC1";
inline constexpr std::size_t kScanRecordingMagicSize = 8;
inline constexpr std::size_t kFrameHeaderSize = 12;
/// Largest frame accepted: the kernel's dump messages are a page or a few; anything this large is
/// damage, not data, and is refused before a byte of it is allocated.
inline constexpr std::uint32_t kMaxFrameSize = 1u << 20;
/// Smallest netlink message: its 16-byte header.
inline constexpr std::uint32_t kNetlinkHeaderSize = 16;

/// \brief One frame of a recording; the message bytes stay valid until the next read.
struct RecordedFrame {
    std::uint64_t timeNs = 0;
    std::span<const std::uint8_t> message;
    long number = 0;          ///< 1 for the first frame
    std::uint64_t offset = 0; ///< file offset of the frame's time field
};

/// Checks one framed message: its netlink length must be at least the header and cover the frame
/// (up to the 4-byte alignment the kernel pads with). An empty text when it is well-formed, else why not.
std::string CheckNetlinkFrame(std::span<const std::uint8_t> message);

/// \brief Reads a recording frame by frame from a stream (a file, or memory through fmemopen), never
/// holding more than one frame.
class ScanRecordingReader {
  public:
    enum class Result { Frame, End, Malformed };

    /// Opens \p path and checks the magic; false with the refusal in \p error.
    bool Open(const std::string& path, std::string* error);
    /// Reads from an open stream of \p size bytes (not owned); \p name is used in messages.
    bool Attach(std::FILE* stream, std::uint64_t size, const std::string& name, std::string* error);
    /// The next frame; Malformed with the frame's number and offset in \p error.
    Result Next(RecordedFrame& frame, std::string* error);

  private:
    struct Closer {
        void operator()(std::FILE* f) const {
            if (f) std::fclose(f);
        }
    };
    std::unique_ptr<std::FILE, Closer> m_owned;
    std::FILE* m_stream = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_pos = 0;
    long m_frames = 0;
    std::string m_name;
    std::vector<std::uint8_t> m_buffer;
};

/// \brief Writes a recording: the magic at open, then one frame per message; Flush() hands the
/// frames to the system (once per completed scan, so a recording cut short keeps every scan).
class ScanRecordingWriter {
  public:
    bool Open(const std::string& path, std::string* error);
    bool Append(std::uint64_t timeNs, std::span<const std::uint8_t> message);
    bool Flush();
    bool IsOpen() const { return m_file != nullptr; }

  private:
    struct Closer {
        void operator()(std::FILE* f) const {
            if (f) std::fclose(f);
        }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
};

/// Encodes one frame (for writers that keep recordings in memory).
void AppendFrame(std::vector<std::uint8_t>& out, std::uint64_t timeNs, std::span<const std::uint8_t> message);

} // namespace plotra::capture
