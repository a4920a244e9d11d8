#include "model/GraphKinds.h"

#include "model/PlotraDoc.h"

namespace plotra {

namespace {

template <class T> std::optional<double> NodeOf(const std::vector<T>& grid, std::size_t node) {
    if (node >= grid.size()) return std::nullopt;
    return static_cast<double>(grid[node]);
}

constexpr std::array<GraphFacts, kGraphKinds.size()> kFacts{{
    {
        .kind = GraphKind::SignalPower,
        .cliName = "power",
        .caption = "Signal Power",
        .panelChoice = true,
        .contourCaption = "Draw Signal Power Contour (dBm)",
        .unit = "dBm",
        .legendTitle = "Power: dBm",
        .statusLabel = "Power = ",
        .statusUnit = " dBm",
        .reportCaption = "Strongest signal (dBm)",
        .levels = GraphLevels::RangeBands,
        .dominantPicture = kPowerDominant,
        .mixedPicture = kPowerMixed,
        .levelColouredPicture = false,
        .contourSet = 0,
        .cellRadius = true,
        .contourLines = true,
        .nodeValue = [](const CPlotraDoc& doc,
                        std::size_t node) { return NodeOf(doc.Coverage().m_aGridPower, node); },
        .range =
            [](const CPlotraDoc& doc) {
                return std::pair{doc.Coverage().m_dPowerMin, doc.Coverage().m_dPowerMax};
            },
    },
    {
        .kind = GraphKind::Snr,
        .cliName = "snr",
        .caption = "Signal-to-Noise Ratio",
        .panelChoice = false,
        .contourCaption = "Draw SNR Contour (dB)",
        .unit = "dB",
        .legendTitle = "SNR: dB",
        .statusLabel = "SNR = ",
        .statusUnit = " dB",
        .reportCaption = "Best SNR (dB)",
        .levels = GraphLevels::RangeBands,
        .dominantPicture = kSnrDominant,
        .mixedPicture = kSnrMixed,
        .levelColouredPicture = false,
        .contourSet = 1,
        .cellRadius = false,
        .contourLines = true,
        .nodeValue = [](const CPlotraDoc& doc,
                        std::size_t node) { return NodeOf(doc.Coverage().m_aGridSnr, node); },
        .range =
            [](const CPlotraDoc& doc) {
                return std::pair{doc.Coverage().m_dSnrMin, doc.Coverage().m_dSnrMax};
            },
    },
    {
        .kind = GraphKind::ApCount,
        .cliName = "count",
        .caption = "Number of Overlay APs",
        .panelChoice = true,
        .contourCaption = "Draw Contour for Number of APs",
        .unit = "",
        .legendTitle = "N APs",
        .statusLabel = "",
        .statusUnit = " APs",
        .reportCaption = "Number of access points heard",
        .levels = GraphLevels::ApCounts,
        .dominantPicture = kApCount,
        .mixedPicture = kApCount,
        .levelColouredPicture = true,
        .contourSet = 2,
        .cellRadius = false,
        .contourLines = false,
        .nodeValue = [](const CPlotraDoc& doc,
                        std::size_t node) { return NodeOf(doc.Coverage().m_aGridCount, node); },
        .range =
            [](const CPlotraDoc&) {
                return std::pair{1.0, 10.0};
            },
    },
}};

// The rows sit in the order of the kinds' values, so that a kind finds its row by its value.
constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < kFacts.size(); ++i)
        if (kFacts[i].kind != kGraphKinds[i] || StoredValue(kGraphKinds[i]) != static_cast<int>(i) + 1)
            return false;
    return true;
}
static_assert(RowsInOrder());

} // namespace

const GraphFacts& FactsOf(GraphKind kind) {
    return kFacts[static_cast<std::size_t>(StoredValue(kind) - 1)];
}

std::optional<GraphKind> GraphKindFromInt(int stored) {
    for (GraphKind kind : kGraphKinds)
        if (StoredValue(kind) == stored) return kind;
    return std::nullopt;
}

std::optional<GraphKind> GraphKindFromName(std::string_view cliName) {
    for (const GraphFacts& facts : kFacts)
        if (facts.cliName == cliName) return facts.kind;
    return std::nullopt;
}

} // namespace plotra
