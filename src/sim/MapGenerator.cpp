#include "sim/MapGenerator.h"

#include "files/BmpImage.h"
#include "files/ProjectionWriter.h"
#include "sim/Random.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace plotra::sim {

namespace {

constexpr double kMinMetresPerPixel = 0.5;

struct Rgb {
    std::uint8_t r, g, b;
};

// Greys with equal channels keep the picture's byte statistics narrow, so the map codes small.
constexpr Rgb kBackground{242, 242, 242};
constexpr Rgb kStreet{188, 188, 188};
constexpr Rgb kBuilding{219, 219, 219};
constexpr Rgb kBuildingEdge{160, 160, 160};
constexpr Rgb kPark{200, 226, 188};

/// The picture in local metres: x east from the grid's west edge, y north from its south edge.
class Canvas {
  public:
    Canvas(int w, int h, double mpp, double marginX, double marginY)
        : m_w(w), m_h(h), m_mpp(mpp), m_mx(marginX), m_my(marginY),
          m_rgb(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}

    void Clear(Rgb c) {
        for (std::size_t i = 0; i < m_rgb.size(); i += 3)
            Set(i, c);
    }
    /// Fills the pixels whose centres lie in [x0, x1] x [y0, y1] (metres).
    void Fill(double x0, double y0, double x1, double y1, Rgb c) {
        const int c0 = std::max(0, static_cast<int>(std::ceil((x0 + m_mx) / m_mpp - 0.5)));
        const int c1 = std::min(m_w - 1, static_cast<int>(std::floor((x1 + m_mx) / m_mpp - 0.5)));
        const int r0 = std::max(0, static_cast<int>(std::ceil(m_h - (y1 + m_my) / m_mpp - 0.5)));
        const int r1 = std::min(m_h - 1, static_cast<int>(std::floor(m_h - (y0 + m_my) / m_mpp - 0.5)));
        for (int r = r0; r <= r1; ++r)
            for (int col = c0; col <= c1; ++col)
                Set((static_cast<std::size_t>(r) * static_cast<std::size_t>(m_w) +
                     static_cast<std::size_t>(col)) *
                        3,
                    c);
    }
    /// A filled rectangle with a one-pixel outline.
    void Box(double x0, double y0, double x1, double y1, Rgb fill, Rgb edge) {
        Fill(x0, y0, x1, y1, edge);
        Fill(x0 + m_mpp, y0 + m_mpp, x1 - m_mpp, y1 - m_mpp, fill);
    }
    const std::vector<std::uint8_t>& Pixels() const { return m_rgb; }

  private:
    void Set(std::size_t i, Rgb c) {
        m_rgb[i] = c.r;
        m_rgb[i + 1] = c.g;
        m_rgb[i + 2] = c.b;
    }
    int m_w, m_h;
    double m_mpp, m_mx, m_my;
    std::vector<std::uint8_t> m_rgb;
};

} // namespace

GeneratedMap GenerateMap(const GeneratedSurvey& survey, int widthPx) {
    const ScenarioParams& p = survey.params;
    GeneratedMap map;
    widthPx = std::max(widthPx, 16);
    const double marginX = std::max(20.0, 0.1 * p.widthM), marginY = std::max(20.0, 0.1 * p.heightM);
    const double spanX = p.widthM + 2 * marginX, spanY = p.heightM + 2 * marginY;
    // Small scenarios get fewer pixels rather than a finer scale than any survey map would have.
    if (spanX / widthPx >= kMinMetresPerPixel) {
        map.metresPerPixel = spanX / widthPx;
        map.width = widthPx;
    } else {
        map.metresPerPixel = kMinMetresPerPixel;
        map.width = static_cast<int>(std::ceil(spanX / kMinMetresPerPixel));
    }
    map.height = std::max(1, static_cast<int>(std::ceil(spanY / map.metresPerPixel)));
    const double mpp = map.metresPerPixel;

    // The generator places points linearly in degrees over its local metres, so the transformation
    // from latitude/longitude to pixels is exactly affine.
    const double degLatPerM = (survey.north - survey.south) / p.heightM;
    const double degLonPerM = (survey.east - survey.west) / p.widthM;
    auto& k = map.coefficients;
    k[0] = 0.0;                                                      // column per degree of latitude
    k[1] = 1.0 / (degLonPerM * mpp);                                 // column per degree of longitude
    k[3] = (marginX - survey.west / degLonPerM) / mpp;               // column offset
    k[4] = -1.0 / (degLatPerM * mpp);                                // row per degree of latitude
    k[5] = 0.0;                                                      // row per degree of longitude
    k[7] = map.height - (marginY - survey.south / degLatPerM) / mpp; // row offset
    k[2] = k[6] = 0.0;
    k[8] = 1.0; // carried only

    Canvas canvas(map.width, map.height, mpp, marginX, marginY);
    canvas.Clear(kBackground);
    const int cols = std::max(1, static_cast<int>(p.widthM / p.blockM));
    const int rows = std::max(1, static_cast<int>(p.heightM / p.blockM));
    const double B = p.blockM;
    const double half = std::max(0.05 * B, 1.5 * mpp); // half the street width
    const double walk = std::max(0.05 * B, mpp);       // pavement and front gardens
    Random rng(survey.seed ^ 0x3A9C0FFEEull);
    for (int i = 0; i < cols; ++i) {
        for (int j = 0; j < rows; ++j) {
            const double x0 = i * B + half + walk, x1 = (i + 1) * B - half - walk;
            const double y0 = j * B + half + walk, y1 = (j + 1) * B - half - walk;
            if (x1 - x0 < 8 * mpp || y1 - y0 < 8 * mpp) continue;
            const double u = rng.Uniform();
            const double mx = 0.5 * (x0 + x1), my = 0.5 * (y0 + y1);
            if (u < 0.1) {
                canvas.Fill(x0, y0, x1, y1, kPark);
            } else if (u < 0.35) {
                // One large building in the middle of its plot.
                const double hx = 0.32 * (x1 - x0), hy = 0.32 * (y1 - y0);
                canvas.Box(mx - hx, my - hy, mx + hx, my + hy, kBuilding, kBuildingEdge);
            } else {
                // Four houses, each in the outer corner of its garden.
                const double wx = 0.28 * (x1 - x0), wy = 0.26 * (y1 - y0);
                canvas.Box(x0, y0, x0 + wx, y0 + wy, kBuilding, kBuildingEdge);
                canvas.Box(x1 - wx, y0, x1, y0 + wy, kBuilding, kBuildingEdge);
                canvas.Box(x0, y1 - wy, x0 + wx, y1, kBuilding, kBuildingEdge);
                canvas.Box(x1 - wx, y1 - wy, x1, y1, kBuilding, kBuildingEdge);
            }
        }
    }
    for (int i = 0; i <= cols; ++i)
        canvas.Fill(i * B - half, -half, i * B + half, rows * B + half, kStreet);
    for (int j = 0; j <= rows; ++j)
        canvas.Fill(-half, j * B - half, cols * B + half, j * B + half, kStreet);

    map.bmp = EncodeBmp24(map.width, map.height, canvas.Pixels());
    return map;
}

std::string MapFileName(const GeneratedSurvey& survey) {
    return survey.params.name + ".hpf";
}

bool WriteMap(const GeneratedSurvey& survey, const GeneratedMap& map, const std::string& outDir,
              std::string* error) {
    namespace fs = std::filesystem;
    ProjectionImage image;
    image.type = 0;
    image.coefficients = map.coefficients;
    image.picture = map.bmp;
    const std::string path = (fs::path(outDir) / MapFileName(survey)).string();
    if (map.bmp.empty() || !WriteProjectionFile(path, image)) {
        if (error) *error = "Cannot write " + path;
        return false;
    }
    return true;
}

} // namespace plotra::sim
