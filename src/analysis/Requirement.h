#pragma once
/// \brief How much of the surveyed area meets a signal and SNR requirement: the figures a client
/// report states. Covered area is the grid nodes of the combined coverage heard by at least one
/// ticked AP; the shares are counted over those nodes only, so that the empty corners of the grid
/// rectangle do not count against the site.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

class CPlotraDoc;

/// \brief One share of the covered nodes and whether it reaches the target.
struct RequirementFigure {
    std::size_t nodes = 0; ///< covered nodes that meet this part of the requirement
    double share = 0.0;    ///< nodes / covered nodes (0 without covered nodes)
    bool pass = false;     ///< share >= target (never with no covered node)
};

/// \brief The requirement's figures over the combined coverage.
struct RequirementSummary {
    bool coverageReady = false; ///< false: nothing below is meaningful
    double signalDbm = -67.0, snrDb = 25.0, targetShare = 0.95;
    std::size_t coveredNodes = 0;
    RequirementFigure signal, snr, both;
};

/// What a grid node is for the requirement.
enum class NodeVerdict : std::uint8_t { Uncovered = 0, Meets = 1, Fails = 2 };

/// The figures for the document's combined coverage: a node counts as covered when its AP count is
/// above zero; it meets the signal part when its power is at or above \p signalDbm, the SNR part when
/// its SNR is at or above \p snrDb. Grids shorter than the node count (a damaged project) count only
/// the nodes all three grids hold. Without a calculated coverage coverageReady is false.
RequirementSummary SummariseRequirement(const CPlotraDoc& doc, double signalDbm, double snrDb,
                                        double targetShare);

/// Every node of the combined grid (index c * rows + r) as covered and meeting both parts, covered
/// and failing, or uncovered; empty without a calculated coverage.
std::vector<NodeVerdict> RequirementVerdicts(const CPlotraDoc& doc, double signalDbm, double snrDb);

/// A share as the report prints it: percent with one decimal, "97.3 %".
std::string ShareText(double share);

/// \brief A requirement as typed: "signal=-67,snr=25" (either part may be left out; the other keeps
/// its default). False for anything else, with \p error saying why.
struct RequirementInput {
    double signalDbm = -67.0, snrDb = 25.0;
};
bool ParseRequirement(const std::string& text, RequirementInput& out, std::string& error);

} // namespace plotra
