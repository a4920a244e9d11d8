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

/// The colour of contour level \p k (0 weakest .. 9 strongest; held to the ends): the classic colour
/// k, or the scale at k/9 so that both ends of the scale are used.
COLORREF PaletteLevelColour(PaletteKind kind, int k);

/// A colour drawn as one of the ten classic level colours, in \p kind's scale; every other colour
/// (AP colours, white, the count picture's ten-or-more colour) is returned as it is. Contours and the
/// count picture are stored in the classic colours, so a different scale is a matter of drawing.
COLORREF InPalette(PaletteKind kind, COLORREF colour);

} // namespace plotra
