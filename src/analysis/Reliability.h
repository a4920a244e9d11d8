#pragma once
/// \brief Cell and boundary reliability of the log-distance model with log-normal shadowing, and
/// the cell radius for a given boundary reliability.

#include <string>

namespace plotra {

class CPlotraDoc;

/// Complementary error function by the system's numeric integration (5000 samples, step x/5000);
/// 1 at 0, exactly 0 for x >= 2.5 and 2 for x <= -2.5.
double Erfc(double x);
/// Inverse error function by table search over 10000 samples of [0, 5]; 0 when no crossing exists.
double ErfInv(double y);

/// \brief The text fields of the reliability section as the panel shows them.
struct ReliabilityFields {
    std::string radius;      ///< "Radius" in display units
    std::string threshold;   ///< "Power Threshold in dBm"
    std::string probability; ///< "Probability" (boundary reliability)
    std::string cell;        ///< "Cell Reliability"
};

/// Edge reliability at radius R metres: 0.5 Erfc((P - A - S log10 R) / (s sqrt 2)).
double EdgeReliability(double slope, double intercept, double shadowStd, double threshold, double radius);
/// Cell reliability over a cell of radius R metres (ln R in single precision).
double CellReliability(double slope, double intercept, double shadowStd, double threshold, double radius);

/// Reads Radius and Power Threshold, writes Probability and Cell Reliability for the APs in scope
/// (the selected AP in single mode, every ticked AP in group mode), sets m_fReliability and switches
/// the graph to the cell-radius display.
void ReliabilityFromRadius(CPlotraDoc& doc, ReliabilityFields& fields);
/// Reads Power Threshold and Probability, writes Radius and Cell Reliability.
void RadiusFromReliability(CPlotraDoc& doc, ReliabilityFields& fields);

} // namespace plotra
