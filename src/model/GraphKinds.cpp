#include "model/GraphKinds.h"

#include "model/PlotraDoc.h"

namespace plotra {

namespace {

template <class T> std::optional<double> NodeOf(const std::vector<T>& grid, std::size_t node) {
    if (node >= grid.size()) return std::nullopt;
    return static_cast<double>(grid[node]);
}

constexpr std::array<GraphFacts, kGraphKinds.size()> kFacts{{
    {GraphKind::SignalPower, "power", "Signal Power", "Draw Signal Power Contour (dBm)", "dBm", "Power: dBm",
     "Power = ", " dBm", GraphLevels::RangeBands, kPowerDominant, kPowerMixed, false, 0, true, true,
     [](const CPlotraDoc& doc, std::size_t node) { return NodeOf(doc.m_aGridPower, node); },
     [](const CPlotraDoc& doc) { return std::pair{doc.m_dPowerMin, doc.m_dPowerMax}; }},
    {GraphKind::Snr, "snr", "Signal-to-Noise Ratio", "Draw SNR Contour (dB)", "dB", "SNR: dB", "SNR = ", " dB",
     GraphLevels::RangeBands, kSnrDominant, kSnrMixed, false, 1, false, true,
     [](const CPlotraDoc& doc, std::size_t node) { return NodeOf(doc.m_aGridSnr, node); },
     [](const CPlotraDoc& doc) { return std::pair{doc.m_dSnrMin, doc.m_dSnrMax}; }},
    {GraphKind::ApCount, "count", "Number of Overlay APs", "Draw Contour for Number of APs", "", "N APs", "",
     " APs", GraphLevels::ApCounts, kApCount, kApCount, true, 2, false, false,
     [](const CPlotraDoc& doc, std::size_t node) { return NodeOf(doc.m_aGridCount, node); },
     [](const CPlotraDoc&) { return std::pair{1.0, 10.0}; }},
}};

// The rows sit in the order of the kinds' values, so that a kind finds its row by its value.
constexpr bool RowsInOrder() {
    for (std::size_t i = 0; i < kFacts.size(); ++i)
        if (kFacts[i].kind != kGraphKinds[i] || StoredValue(kGraphKinds[i]) != static_cast<int>(i) + 1) return false;
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
