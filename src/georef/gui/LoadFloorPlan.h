#pragma once
/// \brief File > "Load Floor Plan...": a picture or a PDF page with a scale becomes the project's map
/// through the same steps as a loaded projection file (the question before a map is replaced, the
/// survey placed on the new map and processed again).

class QWidget;

namespace plotra::gui {

class GuiSession;

/// The command: the replacement question, the file chooser (through the document's prompts), the
/// scale dialog, and the map taken as a job. Cancel at any step leaves the project as it was.
void LoadFloorPlan(GuiSession& session, QWidget* parent);

/// The file chooser's filter of floor plans.
inline constexpr char kFloorPlanFilter[] =
    "Floor plans (PNG, JPEG, BMP, PDF)|*.png;*.jpg;*.jpeg;*.bmp;*.pdf|All Files (*.*)|*.*||";

} // namespace plotra::gui
