#include "capture/SurveyAppender.h"

#include "files/SurveyFile.h"
#include "model/Bytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plotra::capture {

namespace {

/// Writes all of \p data at the file's end, resuming after signals and short writes.
int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

} // namespace

SurveyAppender::~SurveyAppender() {
    if (m_fd >= 0) ::close(m_fd);
}

bool SurveyAppender::Fail(const std::string& what, int err, std::string* error) {
    if (error) *error = what + " " + m_path + ": " + std::strerror(err) + ".";
    return false;
}

bool SurveyAppender::Create(const std::string& path, std::int64_t surveyTime, bool sync, std::string* error) {
    m_path = path;
    m_sync = sync;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) return Fail("Cannot create the survey file", errno, error);
    SurveyFileImage image;
    image.surveyTime = surveyTime;
    ByteWriter w;
    EncodeSurveyHeader(image, w);
    if (const int err = WriteAll(m_fd, w.Buffer().data(), w.Buffer().size()))
        return Fail("Cannot write the survey file", err, error);
    m_size = w.Buffer().size();
    struct stat st {};
    if (::fstat(m_fd, &st) == 0) m_device = st.st_dev, m_inode = st.st_ino;
    if (m_sync && ::fdatasync(m_fd) != 0) return Fail("Cannot write the survey file", errno, error);
    return true;
}

bool SurveyAppender::SetSurveyTime(std::int64_t surveyTime, std::string* error) {
    std::uint8_t bytes[8];
    StoreU64(bytes, static_cast<std::uint64_t>(surveyTime));
    if (::pwrite(m_fd, bytes, sizeof bytes, static_cast<off_t>(kSurveyTimeOffset)) !=
        static_cast<ssize_t>(sizeof bytes))
        return Fail("Cannot write the survey file", errno ? errno : EIO, error);
    return true;
}

bool SurveyAppender::StillThere() const {
    struct stat st {};
    return ::stat(m_path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_dev) == m_device &&
           static_cast<std::uint64_t>(st.st_ino) == m_inode;
}

bool SurveyAppender::Append(const CDataPoint& point, std::string* error) {
    if (m_fd < 0) return Fail("Cannot write the survey file", EBADF, error);
    // A file whose folder was removed still takes writes that nobody will ever read: stop instead.
    if (!StillThere()) {
        if (error) *error = "The survey file " + m_path + " is gone (its folder was removed or renamed).";
        return false;
    }
    ByteWriter w;
    EncodeSurveyRecord(point, CPointRecord::kSize, CHssData::kSize, w);
    // One write per point, so that a crash between two leaves whole points only.
    if (const int err = WriteAll(m_fd, w.Buffer().data(), w.Buffer().size())) {
        // Cut back a point written in part: the file keeps exactly the points before it.
        if (::ftruncate(m_fd, static_cast<off_t>(m_size)) == 0) ::lseek(m_fd, 0, SEEK_END);
        return Fail("Cannot write the survey file", err, error);
    }
    if (m_sync && ::fdatasync(m_fd) != 0) return Fail("Cannot write the survey file", errno, error);
    m_size += w.Buffer().size();
    ++m_points;
    return true;
}

bool SurveyAppender::Close(std::string* error) {
    if (m_fd < 0) return true;
    const bool synced = ::fsync(m_fd) == 0;
    const int err = errno;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced) return Fail("Cannot write the survey file", err, error);
    if (!closed) return Fail("Cannot write the survey file", errno, error);
    return true;
}

} // namespace plotra::capture
