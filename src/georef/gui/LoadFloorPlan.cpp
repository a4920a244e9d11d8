#include "georef/gui/LoadFloorPlan.h"

#include "gui/GuiSession.h"
#include "georef/gui/FloorPlanDialog.h"
#include "model/PlotraDoc.h"

namespace plotra::gui {

void LoadFloorPlan(GuiSession& session, QWidget* parent) {
    CPlotraDoc& doc = session.doc();
    if (doc.RefuseWhileBusy() || !doc.ConfirmMapReplacement()) return;
    FileChooserRequest request;
    request.title = "Load Floor Plan";
    request.filter = kFloorPlanFilter;
    const auto path = doc.Prompts().chooseOpenFile(request);
    if (!path) return;
    PlanLoad first = LoadPlanPicture(*path);
    if (!first.ok) {
        doc.Prompts().message(first.message, first.caption, PromptIcon::Stop);
        return;
    }
    FloorPlanDialog dialog(*path, std::move(first), parent);
    if (dialog.exec() != QDialog::Accepted) return;
    FloorPlanMap made = dialog.map();
    if (!made.warnings.empty()) {
        std::string text;
        for (const std::string& w : made.warnings)
            text += w + "\n";
        doc.Prompts().message(text, "Floor Plan", PromptIcon::Information);
    }
    MapPicture map;
    map.type = made.image.type;
    map.coefficients = made.image.coefficients;
    map.bmp = std::move(made.image.picture);
    // Placed on the plan, the survey is read again as a job, as for any map.
    session.loadMadeMap(*path, std::move(map));
}

} // namespace plotra::gui
