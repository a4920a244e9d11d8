// libFuzzer target: the survey data file reader must accept or refuse any bytes without crashing,
// hanging or allocating beyond what the bytes justify.
#include "files/SurveyFile.h"
#include "model/PlotraDoc.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plotra::CPlotraDoc doc;
    doc.m_strCurrentFile = "fuzz.hsd";
    std::span<const std::uint8_t> bytes(data, size);
    if (doc.ReadSurveyFile(bytes)) {
        // Whatever was read must be consistent with the file's size.
        std::size_t readings = 0;
        for (const auto& p : doc.m_aDataPoints) readings += p.m_aReadings.size();
        if (doc.m_aDataPoints.size() * 61 + readings * 41 > size) __builtin_trap();
        (void)plotra::ComputeSurveyStats(doc.m_aDataPoints);
    }
    (void)plotra::ParseSurveyHeader(bytes);
    return 0;
}
