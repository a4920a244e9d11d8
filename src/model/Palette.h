#pragma once
/// \brief Colour scales for coverage levels. "classic" is the ten contour colours the program has
/// always used; viridis and cividis are the perceptually even scales that also read for people with
/// a red-green colour vision deficiency and in grey print.

#include "model/Records.h"

#include <optional>
#include <string>

namespace plotra {

enum class PaletteKind { Classic, Viridis, Cividis };

/// "classic", "viridis" or "cividis"; nothing for any other name.
std::optional<PaletteKind> ParsePalette(const std::string& name);
const char* PaletteName(PaletteKind kind);

/// The colour of \p level in 0..1 (0 weakest, 1 strongest; outside values are held to the ends, NaN
/// counts as 0). Classic: the ten contour colours as bands (level k/10 .. (k+1)/10 takes colour k, the
/// top band includes 1). Viridis and cividis: linear interpolation between their published anchors.
COLORREF PaletteColour(PaletteKind kind, double level);

} // namespace plotra
