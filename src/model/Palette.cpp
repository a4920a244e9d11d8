#include "model/Palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plotra {

namespace {

struct Anchor {
    int r, g, b;
};

// The contour colours of a new project (0x00BBGGRR), weakest level first.
constexpr std::array<COLORREF, 10> kClassic{0x0000FF, 0x6A5ACD, 0x000080, 0x228B22, 0x9ACD32,
                                            0xADFF2F, 0xCD5C5C, 0xFF69B4, 0xFFFF00, 0xFF0000};

// The published scales sampled at 0, 0.2, ..., 1 (8-bit sRGB).
constexpr std::array<Anchor, 6> kViridis{
    {{68, 1, 84}, {64, 67, 135}, {41, 120, 142}, {34, 167, 132}, {121, 209, 81}, {253, 231, 36}}};
constexpr std::array<Anchor, 6> kCividis{
    {{0, 34, 78}, {53, 69, 108}, {102, 105, 112}, {148, 142, 119}, {200, 184, 102}, {254, 232, 56}}};

template <std::size_t N> COLORREF Interpolate(const std::array<Anchor, N>& anchors, double level) {
    const double t = level * static_cast<double>(N - 1);
    const std::size_t k = std::min(static_cast<std::size_t>(t), N - 2);
    const double f = t - static_cast<double>(k);
    const auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
    const Anchor& a = anchors[k];
    const Anchor& b = anchors[k + 1];
    return Rgb(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

} // namespace

std::optional<PaletteKind> ParsePalette(const std::string& name) {
    if (name == "classic") return PaletteKind::Classic;
    if (name == "viridis") return PaletteKind::Viridis;
    if (name == "cividis") return PaletteKind::Cividis;
    return std::nullopt;
}

const char* PaletteName(PaletteKind kind) {
    switch (kind) {
    case PaletteKind::Viridis:
        return "viridis";
    case PaletteKind::Cividis:
        return "cividis";
    case PaletteKind::Classic:
        break;
    }
    return "classic";
}

COLORREF PaletteColour(PaletteKind kind, double level) {
    const double l = std::isnan(level) ? 0.0 : std::clamp(level, 0.0, 1.0);
    switch (kind) {
    case PaletteKind::Viridis:
        return Interpolate(kViridis, l);
    case PaletteKind::Cividis:
        return Interpolate(kCividis, l);
    case PaletteKind::Classic:
        break;
    }
    return kClassic[std::min<std::size_t>(9, static_cast<std::size_t>(l * 10.0))];
}

COLORREF PaletteLevelColour(PaletteKind kind, int k) {
    const int level = std::clamp(k, 0, 9);
    if (kind == PaletteKind::Classic) return kClassic[static_cast<std::size_t>(level)];
    return PaletteColour(kind, level / 9.0);
}

COLORREF InPalette(PaletteKind kind, COLORREF colour) {
    if (kind == PaletteKind::Classic) return colour;
    const auto* found = std::find(kClassic.begin(), kClassic.end(), colour & 0xFFFFFF);
    if (found == kClassic.end()) return colour;
    return PaletteLevelColour(kind, static_cast<int>(found - kClassic.begin()));
}

} // namespace plotra
