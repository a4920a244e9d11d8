#pragma once
/// \brief The walk path of one survey file, built as its readings stream past: consecutive readings
/// at one spot (within a millimetre of the spot's first position) become one path position with the
/// mean RSSI, the mean noise, the worst GPS fix and the mean altitude and speed. Only the readings of
/// the spot being merged are held, never the whole file's list.

#include "model/Records.h"

#include <cstdint>
#include <vector>

namespace plotra {

class CPlotraDoc;

class PathMerger {
public:
    /// Appends the merged positions to the document's m_aPoints, m_aGpsState, m_aAltitude and
    /// m_aVelocity.
    explicit PathMerger(CPlotraDoc& doc) : m_doc(doc) {}
    void Add(const CData& measurement, std::uint8_t fix, int altitude, int velocity);
    /// Closes the spot being merged (at the end of the file).
    void Finish();

private:
    void Close();
    CPlotraDoc& m_doc;
    bool m_open = false;
    CData m_first;
    std::vector<double> m_rssi;
    long long m_noise = 0, m_altitude = 0, m_speed = 0;
    std::uint8_t m_fix = 0;
};

} // namespace plotra
