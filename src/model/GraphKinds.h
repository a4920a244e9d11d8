#pragma once
/// \brief The graphs of a combined coverage (signal power, SNR, number of APs) and the one table of
/// what differs between them: names and texts, the pictures and contour set each draws, how its
/// levels and range are taken and which of its grids holds its values. Everything that depends on
/// the graph shown reads the table; a new graph is a row here plus the calculation of its grid.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace plotra {

class CPlotraDoc;

/// \brief A graph of the combined coverage. The values are the ones the document stores in
/// m_nGraphType (and the workspace with it).
enum class GraphKind { SignalPower = 1, Snr = 2, ApCount = 3 };

/// Every graph, in the order of the panel's choices.
inline constexpr std::array<GraphKind, 3> kGraphKinds{GraphKind::SignalPower, GraphKind::Snr,
                                                      GraphKind::ApCount};

/// Combined coverage pictures as colours: power in the dominant / mixed colour, SNR in the dominant
/// / mixed colour, number of APs.
enum CoveragePicture { kPowerDominant = 0, kPowerMixed, kSnrDominant, kSnrMixed, kApCount, kPictureCount };

/// \brief How a graph's levels are laid out: the contour levels, the legend rows and the scale of the
/// client report's figure.
enum class GraphLevels {
    RangeBands, ///< ten bands over the graph's range, rounded to tens; the legend lists the top band first
    ApCounts,   ///< whole numbers 1..10 (the last one meaning ten or more); the legend lists N=1 first
};

/// \brief What the code needs to know about one graph.
struct GraphFacts {
    GraphKind kind;
    std::string_view cliName;        ///< plotra-cli's --graph value
    std::string_view caption;        ///< the graph section's header and radio: "Signal Power"
    bool panelChoice;                ///< the graph section offers it among its radios
    std::string_view contourCaption; ///< the line under the "Contour" slider with a combined coverage
    std::string_view unit;           ///< the unit of its values ("dBm"), empty for a number of APs
    std::string_view legendTitle;    ///< the title of the legend's level blocks
    std::string_view statusLabel;    ///< the status text's value, "Power = " in "(..., Power = -60 dBm)"
    std::string_view statusUnit;     ///< and what follows the value: " dBm"
    std::string_view reportCaption;  ///< the caption of its figure in the client report
    GraphLevels levels;
    CoveragePicture dominantPicture; ///< the combined picture without the coverage overlay toggle
    CoveragePicture mixedPicture;    ///< and with it (the same picture when the graph has no mixed colours)
    bool levelColouredPicture;       ///< its picture is painted in the classic level colours (so other
                                     ///< palettes recolour it)
    std::size_t contourSet;          ///< its index in the document's m_aContours
    bool cellRadius;                 ///< the cell-radius circles are drawn over it
    bool contourLines;               ///< the multiple contours draw their lines over the areas
    /// Its value at grid node \p node of the document's combined grids (nothing outside them).
    std::optional<double> (*nodeValue)(const CPlotraDoc& doc, std::size_t node);
    /// Its range: the one of the last coverage, or 1..10 APs.
    std::pair<double, double> (*range)(const CPlotraDoc& doc);
};

/// The facts of \p kind.
const GraphFacts& FactsOf(GraphKind kind);

/// The graph of a stored value (m_nGraphType, a workspace's); nothing for a value outside 1..3.
std::optional<GraphKind> GraphKindFromInt(int stored);
/// The value the document and the workspace store for \p kind.
constexpr int StoredValue(GraphKind kind) {
    return static_cast<int>(kind);
}
/// The graph of plotra-cli's --graph value ("power", "snr", "count").
std::optional<GraphKind> GraphKindFromName(std::string_view cliName);

} // namespace plotra
