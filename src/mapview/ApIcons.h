#pragma once
/// \brief The AP marker icons: 32 x 32 pictures with a transparent background, one per icon resource
/// id an AP can carry (185 the default, 236 to 240 the alternatives). Drawn in code.

#include <QImage>

#include <vector>

namespace plotra {

/// The icon ids that have their own artwork; any other id is drawn with the default icon 185.
std::vector<int> ApIconIds();

/// The 32 x 32 ARGB icon for a resource id (built once and cached).
QImage ApIcon(int iconId);

} // namespace plotra
