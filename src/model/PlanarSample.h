#pragma once
/// \brief CData, the planar sample that readings, path positions and AP points share.

namespace plotra {

/// \brief One planar sample: a position, an RSSI and the noise of the reading's channel (32 bytes).
class CData {
public:
    double m_dY = 0.0;
    double m_dX = 0.0;
    double m_dRssi = 0.0;
    int m_nNoise = 0;
};

} // namespace plotra
