#pragma once
/// \brief Documents filled from generated surveys, and bit-exact comparison of processing results.

#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"

#include <string>
#include <vector>

namespace plotra::test {

/// Reads every file of a generated survey into the document as LoadSurveyFiles would (all files
/// ticked, titles as names), without touching the disk and without processing.
void ReadGenerated(CPlotraDoc& doc, const sim::GeneratedSurvey& survey);

/// ReadGenerated followed by PlaceSurveyPoints: ready for ProcessData.
void PlaceGenerated(CPlotraDoc& doc, const sim::GeneratedSurvey& survey);

/// The demo project as `plotra-cli analyze` builds it from samples/: the map, both survey files
/// merged and processed, the APs with enough points ticked and, when \p coverage, the coverage.
/// False (with a test failure) when a step is refused.
bool LoadDemoProject(CPlotraDoc& doc, bool coverage);

/// Ticks exactly the APs with enough points for coverage; returns how many.
std::size_t TickCoverageAps(CPlotraDoc& doc);

/// Processes the placed survey, ticks every AP with enough points for coverage and computes the
/// coverage; returns how many APs were ticked.
std::size_t ProcessTickAndCover(CPlotraDoc& doc);

/// Keeps only the APs whose index is a multiple of \p every (fewer APs, same path).
void KeepEveryNthAp(CPlotraDoc& doc, std::size_t every);

/// Differences between two processed documents, compared bit for bit: every AP field and grid
/// value, the document's analysis members and the pictures. Empty when identical.
std::vector<std::string> ProcessingDifferences(const CPlotraDoc& a, const CPlotraDoc& b);

/// The same bits (NaN equal to the same NaN, +0 different from -0).
bool SameBits(double a, double b);

} // namespace plotra::test
