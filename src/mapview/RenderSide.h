#pragma once
/// \brief What the render layer keeps with a document: the last painted graph picture and the
/// decoded map picture (decoded once per change of the document's map bytes, not on every paint).
/// Used on the user-interface thread only: nothing here is guarded against a second thread.

#include "mapview/Picture.h"
#include "model/PlotraDoc.h"

#include <QImage>

namespace plotra {

struct RenderSide {
    QImage graphPicture; ///< the last painted graph picture
    /// The work surfaces of the last RenderGraph (composition and scratch), reused by the next one
    /// of the same size.
    QImage composition, scratch;

    CPicture map;                           ///< the document's map picture
    const std::uint8_t* mapBytes = nullptr; ///< which bytes it was decoded from
    std::size_t mapSize = 0;
    std::uint64_t mapChange = ~0ull; ///< the document's map and project notices at decoding
};

/// The render-side state of \p doc, created on first use.
RenderSide& RenderSideOf(const CPlotraDoc& doc);

} // namespace plotra
