// libFuzzer target: the WiGLE CSV import must take or refuse any bytes without crashing, hanging or
// making more than the bytes justify, and what it makes must survive the survey file round trip.
#include "files/SurveyFile.h"
#include "files/WigleCsv.h"
#include "model/PlotraDoc.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    (void)plotra::LooksLikeWigleCsv(bytes);
    const plotra::WigleImportResult r = plotra::ImportWigleCsv(bytes);
    const plotra::WigleCounts& c = r.counts;

    // Every row is either taken or counted once; every reading comes from its own row of at least 28
    // bytes (a 17-character MAC, a position, an RSSI, a channel and the separators).
    if (c.readings + c.SkippedTotal() != c.rows) __builtin_trap();
    if (c.points > c.readings || c.readings * 28 > static_cast<long>(size)) __builtin_trap();
    if (static_cast<long>(r.image.records.size()) != c.points) __builtin_trap();
    if (!r.ok && (c.rows != 0 || !r.image.records.empty())) __builtin_trap();

    if (c.points > 0) {
        const auto encoded = plotra::EncodeSurveyFile(r.image);
        plotra::CPlotraDoc doc;
        if (!doc.ReadSurveyFile(encoded)) __builtin_trap();
        if (doc.Survey().m_aDataPoints.size() != r.image.records.size()) __builtin_trap();
        for (std::size_t i = 0; i < doc.Survey().m_aDataPoints.size(); ++i)
            if (doc.Survey().m_aDataPoints[i].m_aReadings != r.image.records[i].m_aReadings) __builtin_trap();
    }
    (void)plotra::WigleSkipSummary(c);
    return 0;
}
