#include "model/PlotraDoc.h"

#include <cmath>

namespace plotra {

// The transformation uses six of the sixteen coefficients: pixel column = a*lat + b*lon + c and
// pixel row (counted downward) = d*lat + e*lon + f, with a = c0, b = c1, c = c3, d = c4, e = c5, f = c7.
CDataGeo CPlotraDoc::GeoToMap(double lat, double lon) const {
    const double a = m_adProj[0], b = m_adProj[1], c = m_adProj[3];
    const double d = m_adProj[4], e = m_adProj[5], f = m_adProj[7];
    const double H = static_cast<double>(m_nImageHeight);
    const double x = (a * lat + b * lon + c) * m_dMetersPerPixelX;
    const double y = (H - (d * lat + e * lon + f)) * m_dMetersPerPixelY;
    return CDataGeo(y, x);
}

std::optional<CDataGeo> CPlotraDoc::MapToGeo(double x, double y) const {
    const double a = m_adProj[0], b = m_adProj[1], c = m_adProj[3];
    const double d = m_adProj[4], e = m_adProj[5], f = m_adProj[7];
    const double det = e * a - d * b;
    if (!(std::fabs(det) > 0.0)) {
        Prompts().message("Invalid Transformation Matrix", "Error", PromptIcon::Stop);
        return std::nullopt;
    }
    const double H = static_cast<double>(m_nImageHeight);
    const double u = x / m_dMetersPerPixelX - c;
    const double w = H - y / m_dMetersPerPixelY - f;
    return CDataGeo((e * u - b * w) / det, (a * w - d * u) / det);
}

} // namespace plotra
