#include "panel/PanelTexts.h"
#include "model/TextFormat.h"


namespace plotra::gui {

namespace {

/// Metres count above a factor of 0.5 for the unit names; the area label takes 0.5 itself as metres.
bool MetreNames(const CPlotraDoc& doc) {
    return doc.Display().m_dUnitFactor > 0.5;
}

} // namespace

MeasurementTexts MeasurementValues(const CPlotraDoc& doc) {
    MeasurementTexts t;
    const double south = doc.Frame().m_dGridOriginY, west = doc.Frame().m_dGridOriginX;
    const double north = south + doc.Frame().m_dGridSpanY, east = west + doc.Frame().m_dGridSpanX;
    if (doc.Map().m_bMetricXY) {
        t.northLabel = "Top", t.westLabel = "Left", t.southLabel = "Bottom", t.eastLabel = "Right";
        const double f = doc.Display().m_dUnitFactor;
        t.north = FormatText<64>("%4.2f", north / f), t.west = FormatText<64>("%4.2f", west / f);
        t.south = FormatText<64>("%4.2f", south / f), t.east = FormatText<64>("%4.2f", east / f);
    } else {
        t.northLabel = "North", t.westLabel = "West", t.southLabel = "South", t.eastLabel = "East";
        t.north = FormatText<64>("%4.5f", north), t.west = FormatText<64>("%4.5f", west);
        t.south = FormatText<64>("%4.5f", south), t.east = FormatText<64>("%4.5f", east);
    }
    t.areaLabel = doc.Display().m_dUnitFactor >= 0.5 ? "Area Size in Meter:" : "Area Size in Feet:";
    const auto [width, height] = doc.GridRectangleDisplay();
    t.height = FormatText<64>("%4.2f", height);
    t.width = FormatText<64>("%4.2f", width);
    return t;
}

SelectedApTexts SelectedApValues(const CPlotraDoc& doc, int index) {
    SelectedApTexts t;
    if (!doc.Map().m_bMetricXY)
        t.yLabel = "Lat:", t.xLabel = "Lon:";
    else if (MetreNames(doc))
        t.yLabel = "Y(m):", t.xLabel = "X(m):";
    else
        t.yLabel = "Y(ft):", t.xLabel = "X(ft):";
    if (index < 0 || static_cast<std::size_t>(index) >= doc.Aps().m_aAPs.size()) {
        t.y = t.x = t.exponent = t.shadowing = std::string(" ");
        return t;
    }
    const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(index)];
    if (!ap.m_bFixed && (ap.m_aApPoints.size() < kMinLocatedPoints || ap.m_dSlope >= -10.0)) {
        t.y = t.x = t.exponent = t.shadowing = std::string("N/A");
        return t;
    }
    if (doc.Map().m_bMetricXY) {
        t.y = FormatText<64>("%4.2f", ap.m_posAP.m_dY / doc.Display().m_dUnitFactor);
        t.x = FormatText<64>("%4.2f", ap.m_posAP.m_dX / doc.Display().m_dUnitFactor);
    } else {
        t.y = FormatText<64>("%4.5f", ap.m_posAP.m_dY);
        t.x = FormatText<64>("%4.5f", ap.m_posAP.m_dX);
    }
    if (ap.m_dSlope < -10.0) {
        t.exponent = FormatText<64>("%2.1f", ap.m_dSlope / -10.0);
        t.shadowing = FormatText<64>("%2.1f", ap.m_dShadowStd);
    } else {
        t.exponent = t.shadowing = std::string("N/A");
    }
    return t;
}

bool SelectedApShown(const CPlotraDoc& doc) {
    const int i = doc.Display().m_panel.m_nSelectedAP;
    return i >= 0 && static_cast<std::size_t>(i) < doc.Aps().m_aAPs.size() &&
           doc.Aps().m_aAPs[static_cast<std::size_t>(i)].m_bSelected;
}

std::string RadiusLabel(const CPlotraDoc& doc) {
    return MetreNames(doc) ? "Radius (meter)" : "Radius (feet)";
}

std::string MatrixUnit(const CPlotraDoc& doc, bool yAxis) {
    return std::string(MetreNames(doc) ? "Meter" : "Feet") + (yAxis ? "(Y)" : "(X)");
}

} // namespace plotra::gui
