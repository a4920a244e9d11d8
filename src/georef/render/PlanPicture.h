#pragma once
/// \brief Floor plan pictures: a PNG, JPEG or BMP read, or one page of a PDF rendered, reduced to what
/// a projection file can carry; and the projection image made of a plan and its placement. The
/// command-line tool and the window's floor plan dialog both go through here.

#include "files/ProjectionWriter.h"
#include "georef/FloorPlan.h"

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

/// Largest plan picture decoded, in pixels (1 GiB at four bytes a pixel); larger ones are refused
/// before anything is allocated.
inline constexpr std::uint64_t kMaxPlanSourcePixels = 1ull << 28;
/// A PDF page is rendered this many pixels across, unless a resolution is asked for.
inline constexpr int kPlanPdfPixelsAcross = 2000;
/// Resolutions a PDF page may be rendered at, in dots per inch.
inline constexpr int kMinPlanDpi = 10, kMaxPlanDpi = 4800;

/// \brief A plan picture ready to be placed.
struct PlanPicture {
    QImage image;        ///< the pixels written (reduced when the plan is larger than a map holds)
    int sourceWidth = 0; ///< the plan's own size, in the pixels its scale points are given in
    int sourceHeight = 0;
    bool reduced = false;         ///< image is smaller than the plan's own size
    bool overFormatLimit = false; ///< reduced because a projection file could not hold it whole
    std::string format;           ///< "PNG", "JPEG", "BMP", "PDF"
    int pageCount = 0;            ///< of a PDF
    int page = 0;                 ///< the PDF page rendered, from 1
    double dpi = 0.0;             ///< the PDF page's resolution
};

/// \brief What reading a plan gave.
struct PlanLoad {
    bool ok = false;
    std::string caption; ///< of the refusal
    std::string message; ///< the refusal, a complete sentence
    PlanPicture plan;
};

/// \brief What to read.
struct PlanRequest {
    int page = 0;                ///< PDF page from 1; 0: the first page of a PDF (refused for a picture)
    int dpi = 0;                 ///< PDF resolution; 0: kPlanPdfPixelsAcross across the page
    std::uint64_t maxPixels = 0; ///< largest picture written (0: only the projection file's limit)
};

/// True when the file is a PDF by its content (its header in the first kilobyte).
bool IsPdfFile(const std::string& path);

/// Reads the plan at \p path: a picture, or the requested page of a PDF rendered over white. A plan
/// larger than \p request.maxPixels or the projection file's limit is reduced to the largest size of
/// the same shape that fits (a PDF page is rendered at that size directly). Never throws.
PlanLoad LoadPlanPicture(const std::string& path, const PlanRequest& request = {});

/// \brief A plan made into a map.
struct FloorPlanMap {
    bool ok = false;
    std::string message;            ///< the refusal, when not ok
    ProjectionImage image;          ///< picture (24-bit BMP) and coefficients, when ok
    MapAffine transform;            ///< of the written picture
    std::vector<std::string> lines; ///< a description for the user
    std::vector<std::string> warnings;
};

/// Places \p plan by \p placement (scale points in the plan's own pixels) and makes the projection
/// image: the transformation of the written picture keeps the scale when the picture was reduced.
FloorPlanMap MakeFloorPlanMap(const PlanPicture& plan, const PlanPlacement& placement);

/// The 24-bit BMP file image of \p image, transparent parts drawn over white.
std::vector<std::uint8_t> PlanBmp(const QImage& image);

} // namespace plotra
