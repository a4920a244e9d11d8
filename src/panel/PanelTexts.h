#pragma once
/// \brief The values the control panel shows, as texts: the measurement area, the selected AP's
/// location and model, and the unit-dependent labels. Kept apart from the widgets so that every rule
/// ("N/A", decimals, units) reads in one place.

#include "model/PlotraDoc.h"

#include <string>

namespace plotra::gui {

/// \brief "Measurement Information": four bounds with their labels, the area label and size.
struct MeasurementTexts {
    std::string northLabel, westLabel, southLabel, eastLabel; ///< "North" ... or "Top", "Left", ...
    std::string north, west, south, east;                     ///< "%4.5f" degrees or "%4.2f" display units
    std::string areaLabel;     ///< "Area Size in Meter:" / "Area Size in Feet:"
    std::string height, width; ///< "%4.2f" display units
};
MeasurementTexts MeasurementValues(const CPlotraDoc& doc);

/// \brief The selected AP's block: labels and the four values.
struct SelectedApTexts {
    std::string yLabel, xLabel;      ///< "Lat:"/"Lon:", "Y(m):"/"X(m):" or "Y(ft):"/"X(ft):"
    std::string y, x;                ///< location, or "N/A"
    std::string exponent, shadowing; ///< "%2.1f", or "N/A"
};
/// The texts for AP \p ap (a valid index): without a fixed position, fewer than 80 points or a slope
/// of -10 or more show "N/A" everywhere; the model's values need a slope below -10.
SelectedApTexts SelectedApValues(const CPlotraDoc& doc, int ap);
/// True when the panel shows the selected-AP block: a valid selected AP that is ticked.
bool SelectedApShown(const CPlotraDoc& doc);

/// "Radius (meter)" or "Radius (feet)".
std::string RadiusLabel(const CPlotraDoc& doc);
/// "Meter(X)"/"Feet(X)" (\p yAxis false) or "Meter(Y)"/"Feet(Y)".
std::string MatrixUnit(const CPlotraDoc& doc, bool yAxis);

} // namespace plotra::gui
