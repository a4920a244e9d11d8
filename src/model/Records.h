#pragma once
/// \brief Records that carry a site survey through the system: points and readings as stored in
/// survey files, planar samples, files, access points, AP groups and contour pieces. They are plain
/// values without virtual functions: a city-sized survey holds tens of millions of samples, and a
/// table pointer in each would cost 8 bytes apiece for nothing (none of them is ever used through a
/// base class).

#include "model/PlanarSample.h"
#include "model/SampleList.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

/// Colour as 0x00BBGGRR, the layout the files store.
using COLORREF = std::uint32_t;

constexpr COLORREF Rgb(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }

/// \brief One measurement point exactly as a survey file stores it (61 packed bytes).
/// The bytes the system does not interpret are carried so that a workspace can store them unchanged.
struct CPointRecord {
    static constexpr std::size_t kSize = 61;

    std::int32_t m_nLatMas = 0;                  ///< latitude in milliarcseconds
    std::int32_t m_nLonMas = 0;                  ///< longitude in milliarcseconds
    std::array<std::uint8_t, 11> m_abyOpaque1{}; ///< bytes 8..18, carried unchanged
    std::int32_t m_nAltitudeCm = 0;
    std::uint16_t m_wSpeedCms = 0;
    std::array<std::uint8_t, 4> m_abyOpaque2{};  ///< bytes 25..28, carried unchanged
    std::uint8_t m_byFix = 0;                    ///< 0 none, 1 2D, 2 3D
    std::uint16_t m_wReadingCount = 0;
    std::array<std::int16_t, 14> m_anNoise{};    ///< noise per channel 0..13
    std::uint8_t m_byKind = 0;                   ///< 0 point, 1 AP marker

    /// Decodes the first 61 bytes of \p p (the caller guarantees they exist).
    static CPointRecord Parse(const std::uint8_t* p);
    /// Encodes the record into 61 bytes at \p out.
    void Serialize(std::uint8_t* out) const;
    bool operator==(const CPointRecord&) const = default;
};

/// \brief One AP reading as stored (41 packed bytes).
struct CHssData {
    static constexpr std::size_t kSize = 41;

    std::uint8_t m_byChannel = 0;
    std::int16_t m_nRssi256 = 0;                 ///< 1/256 dBm
    std::array<std::uint8_t, 6> m_abyMAC{};
    std::array<char, 32> m_szSSID{};             ///< not necessarily NUL-terminated

    static CHssData Parse(const std::uint8_t* p);
    void Serialize(std::uint8_t* out) const;
    double RssiDbm() const { return m_nRssi256 * 0.00390625; }
    bool operator==(const CHssData&) const = default;
};

/// \brief A measurement point with its readings in file order.
class CDataPoint {
public:
    CPointRecord m_rec;
    std::vector<CHssData> m_aReadings;
};

/// \brief An AP-marker record of a survey file: its position; the other 32 bytes carry nothing.
struct CAPMarker {
    std::int32_t m_nLatMas = 0;
    std::int32_t m_nLonMas = 0;
    std::array<std::uint8_t, 32> m_abyUnused{};
};

/// \brief A position pair, Y first.
class CDataGeo {
public:
    CDataGeo() = default;
    CDataGeo(double y, double x) : m_dY(y), m_dX(x) {}
    double m_dY = 0.0;
    double m_dX = 0.0;
};

/// \brief One survey file of the project.
class CDataFile {
public:
    std::string m_strName;    ///< file title as shown
    std::string m_strPath;    ///< full path
    std::string m_strCreated; ///< survey time text from the file header
    std::string m_strNotes;   ///< notes for the report
    int m_bUse = 1;           ///< ticked for use
};

/// \brief Report information about one AP, typed by the user.
class CApFile {
public:
    std::string m_strTxPower;
    std::string m_strAntennaGain;
    std::string m_strDirection;
    std::string m_strHeight;
    std::string m_strNotes;
};

/// \brief One access point: its samples, working points, model, position and predicted grid.
class CAPInfo {
public:

    std::uint8_t m_bSelected = 0;
    std::int32_t m_nGroupIndex = 1;
    std::uint8_t m_bFixed = 0;
    COLORREF m_crColour = 0;
    std::array<std::uint8_t, 6> m_abyMAC{};
    std::array<char, 32> m_szSSID{};
    std::uint8_t m_byChannel = 0;
    SampleList m_aSamples;  ///< compact storage; reads as an array of CData
    SampleList m_aApPoints; ///< the same storage: measured points, then the pseudo-points
    std::vector<double> m_aGrid;
    CDataGeo m_areaSize;
    CDataGeo m_areaOrigin;
    CDataGeo m_posAP;
    std::int32_t m_nIconOption = 0;
    std::int32_t m_nIconId = 185;
    double m_dGridMax = -101.0;
    double m_dGridMin = -101.0;
    float m_fReliability = 0.0f;
    std::int32_t m_nApGridCols = 0;
    std::int32_t m_nApGridRows = 0;
    double m_dShadowStd = 0.0;
    double m_dSlope = 0.0;
    double m_dIntercept = 0.0;
    /// The AP's coverage picture as colours (0x00BBGGRR), m_nApGridCols x m_nApGridRows, stored
    /// row by row from the top; empty when none was built. The render layer turns it into an image.
    std::vector<COLORREF> m_aCoverageBitmap;

    std::string SsidText() const;
    std::string MacText() const;
    /// Merges runs of consecutive samples at one position (within \p eps) into m_aApPoints.
    void MergeCoincidentSamples(double eps);
};

/// \brief Member of an AP group: the AP's MAC and its index in the AP list.
class CGroupItem {
public:
    CGroupItem() = default;
    CGroupItem(std::uint32_t macLow, std::uint16_t macHigh, int index);
    std::array<std::uint8_t, 6> m_abyMAC{};
    int m_nIndex = 0;
};

/// \brief One AP group (by SSID or channel).
class CGroupInfo {
public:
    COLORREF m_crColour = 0;
    std::vector<CGroupItem> m_aItems;
    std::string m_strName;
    std::int32_t m_bSelected = 0;
};

/// \brief A grouping of the APs.
class CGroups {
public:
    std::vector<CGroupInfo> m_aGroups;
    int m_nLabelMode = 0;

    int AddGroup(const CGroupInfo& g) {
        m_aGroups.push_back(g);
        return static_cast<int>(m_aGroups.size()) - 1;
    }
    int AddItem(int group, const CGroupItem& item) {
        auto& items = m_aGroups.at(static_cast<std::size_t>(group)).m_aItems;
        items.push_back(item);
        return static_cast<int>(items.size()) - 1;
    }
    void RemoveAll() { m_aGroups.clear(); }
};

/// \brief A below-level contour piece of up to four corners (stored as 80 bytes in a workspace).
class CData_Area {
public:
    static constexpr std::size_t kStoredSize = 80;
    std::array<double, 4> m_adX{};
    std::array<double, 4> m_adY{};
    std::int32_t m_nCorners = 0;
};

/// \brief One contour line segment (stored as 40 bytes).
class CData_Contour {
public:
    static constexpr std::size_t kStoredSize = 40;
    double m_dX1 = 0, m_dY1 = 0, m_dX2 = 0, m_dY2 = 0;
};

/// \brief A contour level record: how many pieces or segments follow and their colour (stored as 20 bytes).
class CData_Pos {
public:
    static constexpr std::size_t kStoredSize = 20;
    std::int32_t m_nCount = 0;
    std::int32_t m_nRed = 0, m_nGreen = 0, m_nBlue = 0;
};

/// \brief The contour data of one graph (power, SNR or number of APs).
struct ContourLayerSet {
    std::vector<CData_Area> m_aAreaLow;     ///< below-level pieces at the low threshold
    std::vector<CData_Area> m_aAreaHigh;    ///< below-level pieces at the high threshold
    std::vector<CData_Contour> m_aLines;    ///< level line segments, level after level
    std::vector<CData_Pos> m_aLineLevels;   ///< per level: segment count and colour
    std::vector<CData_Area> m_aLevelAreas;  ///< below-level pieces, level after level
    std::vector<CData_Pos> m_aAreaLevels;   ///< per level: piece count and colour

    void Clear() { *this = ContourLayerSet{}; }
    bool Empty() const {
        return m_aAreaLow.empty() && m_aAreaHigh.empty() && m_aLines.empty() && m_aLineLevels.empty() &&
               m_aLevelAreas.empty() && m_aAreaLevels.empty();
    }
};

/// MAC as six upper-case "%02X" groups joined by "-".
std::string MacText(const std::array<std::uint8_t, 6>& mac);
/// SSID text: up to the first NUL or all 32 characters.
std::string SsidText(const std::array<char, 32>& ssid);
/// Stores \p text into a 32-byte SSID field, NUL-padded. Longer text is cut to at most 32 bytes:
/// valid UTF-8 at the last character boundary that fits, anything else at exactly 32 bytes.
std::array<char, 32> MakeSsid(const std::string& text);
/// SSID bytes (or any text from the data) as UTF-8 for display: well-formed UTF-8 sequences are
/// kept and every other byte is read on its own as Latin-1, so one stray byte does not garble the
/// rest of the text.
std::string DisplayUtf8(std::string_view bytes);

/// Hue on a 0..251 scale, saturation and value 0..255, to COLORREF.
COLORREF HsvToRgb(int h, int s, int v);

} // namespace plotra
