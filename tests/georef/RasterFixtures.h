#pragma once
/// \brief Rasters for the map import tests, written with GDAL as a GIS would write them: GeoTIFFs in
/// any coordinate system, PNG/JPEG with world files, paletted, grey, transparent and 16-bit pictures,
/// and the demo map's picture and survey positions to check a round trip against.

#include "georef/GeoAffine.h"
#include "georef/MapImport.h"
#include "model/PlotraDoc.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotra::test {

/// \brief A picture's pixels, band after band (each width x height, rows from the top).
struct Raster {
    int width = 0, height = 0;
    int bands = 3;
    bool sixteenBit = false;                          ///< samples are UInt16 (then `wide` holds them)
    std::vector<std::uint8_t> samples;                ///< bands x height x width bytes
    std::vector<std::uint16_t> wide;                  ///< bands x height x width 16-bit samples
    std::vector<std::array<std::uint8_t, 4>> palette; ///< when set: one band of indices
    bool alphaLast = false;                           ///< the last band is alpha
};

/// \brief How the file is written.
struct RasterFile {
    std::string driver = "GTiff";
    std::optional<GeoTransform> transform; ///< stored in the file (GTiff) when set
    std::string srs;                       ///< stored in the file when set ("EPSG:32632", WKT, ...)
    std::vector<std::string> creationOptions;
    std::vector<ControlPoint> gcps; ///< stored with \p srs as the control points' system
};

/// Writes \p raster to \p path (through an in-memory copy for drivers that only copy).
void WriteRaster(const std::string& path, const Raster& raster, const RasterFile& file);

/// WKT of a coordinate system given as "EPSG:n" or any text GDAL takes.
std::string Wkt(const std::string& srs);

/// Transforms x/y (traditional GIS order: longitude first for geographic systems) between systems.
std::array<double, 2> TransformXY(const std::string& from, const std::string& to, double x, double y);

/// \brief The demo map (samples/demo.hpf) and the positions of its two surveys.
struct DemoMap {
    CPlotraDoc doc;                      ///< the projection loaded
    MapAffine transform;                 ///< its six coefficients
    Raster picture;                      ///< its RGB pixels
    std::vector<LatLon> surveyPositions; ///< every point of demo1.hsd and demo2.hsd
};
/// Loads it once per call (tests share nothing mutable).
const DemoMap& Demo();

/// RGB pixels (row by row from the top, three bytes each) of a 24-bit bottom-up BMP image.
std::vector<std::uint8_t> DecodeBmp24(const std::vector<std::uint8_t>& bmp, int& width, int& height);

/// The geotransform in \p srs that puts the demo picture where the demo projection does, from its
/// top-left, top-right and bottom-left corners.
GeoTransform DemoTransformIn(const std::string& srs);

/// Loads an imported map into a document through the projection file reader.
bool LoadImported(CPlotraDoc& doc, const MapImportResult& result);

/// Largest distance in pixels between where two documents' GeoToMap put the demo survey positions.
double LargestSurveyShiftPixels(const CPlotraDoc& original, const CPlotraDoc& imported);

/// Writes text to a file.
void WriteText(const std::string& path, const std::string& text);

} // namespace plotra::test
