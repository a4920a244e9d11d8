#pragma once
/// \brief A survey data file that grows point by point while a capture runs. Every point is
/// appended whole and handed to the system before the next scan starts, so a crash keeps every
/// completed point; closing never truncates. The format has no counts in its header: a file cut
/// after any append reads back with every point appended before the cut.

#include "model/Records.h"

#include <cstdint>
#include <string>

namespace plotra::capture {

class SurveyAppender {
  public:
    SurveyAppender() = default;
    SurveyAppender(const SurveyAppender&) = delete;
    SurveyAppender& operator=(const SurveyAppender&) = delete;
    ~SurveyAppender();

    /// Creates (or replaces) \p path with a header whose survey time is \p surveyTime until
    /// SetSurveyTime() corrects it. \p sync: each append also waits for the disk (fdatasync), so a
    /// pulled battery keeps what was written; a replay run flat out can leave that to the end.
    bool Create(const std::string& path, std::int64_t surveyTime, bool sync, std::string* error);
    /// Rewrites the header's survey time in place.
    bool SetSurveyTime(std::int64_t surveyTime, std::string* error);
    /// Appends one point with its readings. On failure (a full disk, a folder that vanished) the
    /// file is cut back to the points before it and \p error says what happened.
    bool Append(const CDataPoint& point, std::string* error);
    /// Hands everything to the disk and closes the file.
    bool Close(std::string* error);

    const std::string& Path() const { return m_path; }
    long Points() const { return m_points; }

  private:
    bool Fail(const std::string& what, int err, std::string* error);
    bool StillThere() const;
    int m_fd = -1;
    std::string m_path;
    bool m_sync = true;
    std::uint64_t m_size = 0;
    long m_points = 0;
    std::uint64_t m_device = 0, m_inode = 0;
};

} // namespace plotra::capture
