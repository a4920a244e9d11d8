// libFuzzer target: the survey data file reader must accept or refuse any bytes without crashing,
// hanging or allocating beyond what the bytes justify, and the windowed reader of files on disk must
// come to exactly what the reader of bytes in memory does. The windowed reader reads the input from
// memory (fmemopen) through a window of a few dozen bytes, so that records and readings fall across
// window edges and the window grows for a record larger than itself.
#include "files/SurveyFile.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plotra::CPlotraDoc doc;
    plotra::Edit::Survey(doc).m_strCurrentFile = "fuzz.hsd";
    std::span<const std::uint8_t> bytes(data, size);
    const bool read = doc.ReadSurveyFile(bytes);
    if (read) {
        // Whatever was read must be consistent with the file's size.
        std::size_t readings = 0;
        for (const auto& p : doc.Survey().m_aDataPoints)
            readings += p.m_aReadings.size();
        if (doc.Survey().m_aDataPoints.size() * 61 + readings * 41 > size) __builtin_trap();
        (void)plotra::ComputeSurveyStats(doc.Survey().m_aDataPoints);
    }
    (void)plotra::ParseSurveyHeader(bytes);

    if (size > 0) {
        plotra::CPlotraDoc streamed;
        plotra::Edit::Survey(streamed).m_strCurrentFile = "fuzz.hsd";
        std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
        if (!file) return 0;
        // Smaller and larger than a point record (61 bytes), varying with the input.
        const std::size_t window = 16 + size % 97;
        const std::optional<bool> fromFile = streamed.ReadSurveyFileFrom(file, size, window);
        std::fclose(file);
        if (!fromFile || *fromFile != read ||
            streamed.Survey().m_aDataPoints.size() != doc.Survey().m_aDataPoints.size() ||
            streamed.Survey().m_aApMarkers.size() != doc.Survey().m_aApMarkers.size() ||
            streamed.Survey().m_aFilePointCount != doc.Survey().m_aFilePointCount)
            __builtin_trap();
        for (std::size_t i = 0; i < doc.Survey().m_aDataPoints.size(); ++i)
            if (!(streamed.Survey().m_aDataPoints[i].m_rec == doc.Survey().m_aDataPoints[i].m_rec) ||
                streamed.Survey().m_aDataPoints[i].m_aReadings != doc.Survey().m_aDataPoints[i].m_aReadings)
                __builtin_trap();
    }
    return 0;
}
