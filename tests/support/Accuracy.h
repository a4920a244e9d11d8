#pragma once
/// \brief How far the estimated AP positions are from the generator's ground truth.

#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"

#include <vector>

namespace plotra::test {

/// \brief Position errors in metres over the APs that got a model.
struct AccuracyFigures {
    std::vector<double> errors; ///< sorted ascending
    double median = 0.0;
    double p90 = 0.0; ///< nearest rank
    double mean = 0.0;
};

/// Compares every processed AP's m_posAP (degrees, or map metres turned back with MapToGeo) with the
/// true position of the AP of the same MAC.
AccuracyFigures PositionAccuracy(const CPlotraDoc& doc, const sim::GeneratedSurvey& truth);

} // namespace plotra::test
