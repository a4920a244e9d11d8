// The combined rectangle of the selected APs and the display frame around it.
#include "model/FrameScale.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>

namespace plotra {

namespace {

struct Box {
    double minY = 0, maxY = 0, minX = 0, maxX = 0;
    bool any = false;
    void Add(double y0, double y1, double x0, double x1) {
        if (!any) {
            minY = y0, maxY = y1, minX = x0, maxX = x1;
            any = true;
            return;
        }
        minY = std::min(minY, y0);
        maxY = std::max(maxY, y1);
        minX = std::min(minX, x0);
        maxX = std::max(maxX, x1);
    }
};

} // namespace

void CPlotraDoc::ComputeExtent(int width, int height, int mode) {
    if (width < 1 || height < 1) {
        const auto size = Host().graphClientSize();
        width = size.first;
        height = size.second;
    }
    const ExtentRects r = ExtentFor(width, height, mode, Host().mapShown());
    SetFrame(r.frame, r.grid);
    Host().resetZoom();
}

void CPlotraDoc::SetFrame(const ModelRect& frame, const std::optional<ModelRect>& pathBox) {
    if (pathBox) {
        m_dGridOriginX = pathBox->originX;
        m_dGridOriginY = pathBox->originY;
        m_dGridSpanX = pathBox->spanX;
        m_dGridSpanY = pathBox->spanY;
    }
    m_dFrameOriginX = frame.originX;
    m_dFrameOriginY = frame.originY;
    m_dFrameSpanX = frame.spanX;
    m_dFrameSpanY = frame.spanY;
}

ExtentRects CPlotraDoc::ExtentFor(int width, int height, int mode, bool mapShown) const {
    ExtentRects r;

    Box box;
    for (const CAPInfo& ap : m_aAPs) {
        if (!ap.m_bSelected) continue;
        if (mode == 1 && ap.m_aApPoints.size() <= kMinCoveragePoints) continue;
        box.Add(ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dY + ap.m_areaSize.m_dY, ap.m_areaOrigin.m_dX,
                ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX);
    }
    const bool fromAps = box.any;
    if (!fromAps)
        for (const CData& p : m_aPoints)
            box.Add(p.m_dY, p.m_dY, p.m_dX, p.m_dX);

    double originY = box.minY, originX = box.minX;
    double spanY = box.maxY - box.minY, spanX = box.maxX - box.minX;
    // A single row or column of positions still needs an area.
    if (!(spanY > 0.0)) {
        if (!m_bMetricXY) {
            spanY = m_dFrameSpanY / 10.0;
            originY -= m_dFrameSpanY / 20.0;
        } else {
            spanY = m_dMapHeight / 10.0;
        }
    }
    if (!(spanX > 0.0)) {
        if (!m_bMetricXY) {
            spanX = m_dFrameSpanX / 10.0;
            originX -= m_dFrameSpanX / 20.0;
        } else {
            spanX = m_dMapWidth / 10.0;
        }
    }
    r.grid = {originY, originX, spanY, spanX};

    // Without a qualifying AP the frame shows the whole walk, and the whole map when it is shown.
    double fOriginY = originY, fOriginX = originX, fSpanY = spanY, fSpanX = spanX;
    if (!fromAps && m_bMapLoaded && mapShown) {
        const double y0 = std::min(originY, 0.0), y1 = std::max(originY + spanY, m_dMapHeight);
        const double x0 = std::min(originX, 0.0), x1 = std::max(originX + spanX, m_dMapWidth);
        fOriginY = y0;
        fSpanY = y1 - y0;
        fOriginX = x0;
        fSpanX = x1 - x0;
    }
    if (mapShown) {
        fOriginY -= fSpanY / 10.0;
        fOriginX -= fSpanX / 10.0;
        fSpanY *= 1.2;
        fSpanX *= 1.2;
        const double rx = fSpanX / width, ry = fSpanY / height;
        // Same metres per pixel on both axes, the content centred; nothing to fit on an empty frame.
        if (rx > 0.0 && ry > 0.0 && std::isfinite(rx) && std::isfinite(ry)) {
            if (ry < rx) {
                const double old = fSpanY;
                fSpanY = height * rx;
                fOriginY -= (rx / ry - 1.0) * old * 0.5;
            } else {
                const double old = fSpanX;
                fSpanX = width * ry;
                fOriginX -= (ry / rx - 1.0) * old * 0.5;
            }
        }
    }
    r.frame = {fOriginY, fOriginX, fSpanY, fSpanX};
    // Without the map the picture is drawn to scale too: the grid above stays what it is, only the
    // frame around it widens.
    if (!mapShown) r.frame = EqualGroundScale(r.frame, m_bMetricXY != 0, width, height);
    return r;
}

} // namespace plotra
