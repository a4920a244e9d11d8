#pragma once
/// \brief A geo-coded map for a simulated survey: the scenario's street grid drawn as a picture
/// (light background, grey streets, building blocks and a few parks) with the affine transformation
/// from latitude/longitude to its pixels, ready to be written as a projection file.

#include "sim/SurveyGenerator.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plotra::sim {

/// \brief A generated map picture and its transformation.
struct GeneratedMap {
    int width = 0;  ///< pixels
    int height = 0; ///< pixels
    double metresPerPixel = 0;
    /// Projection coefficients: pixel column = c0*lat + c1*lon + c3, pixel row = c4*lat + c5*lon + c7.
    std::array<double, 16> coefficients{};
    std::vector<std::uint8_t> bmp; ///< a 24-bit BMP file image
};

/// Draws the map of \p survey, at most \p widthPx pixels wide and at least 0.5 m per pixel. The picture
/// covers the street grid (where every survey position lies, up to GPS noise) with a margin of 10% (at least
/// 20 m) on each side.
GeneratedMap GenerateMap(const GeneratedSurvey& survey, int widthPx = 1000);

/// Writes \p map as OUTDIR/<scenario>.hpf; false with a message in \p error on failure.
bool WriteMap(const GeneratedSurvey& survey, const GeneratedMap& map, const std::string& outDir,
              std::string* error);

/// Path of the map file WriteMap writes.
std::string MapFileName(const GeneratedSurvey& survey);

} // namespace plotra::sim
