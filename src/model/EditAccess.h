#pragma once
/// \brief Writable access to the document's parts, for the edits that are not the document's own
/// entry points: the job appliers, the readers that build a document, the undo mementos. Only the
/// core's folders include this header (a test holds the windows, the renderer and plotra-cli to
/// that), so the files that include it and the document's members are the complete list of writers.

#include "model/PlotraDoc.h"

namespace plotra {

struct Edit {
    static SurveyInput& Survey(CPlotraDoc& doc) { return doc; }
    static SurveyPath& Path(CPlotraDoc& doc) { return doc; }
    static ApSet& Aps(CPlotraDoc& doc) { return doc; }
    static MapGeometry& Map(CPlotraDoc& doc) { return doc; }
    static FrameGeometry& Frame(CPlotraDoc& doc) { return doc; }
    static DisplaySettings& Display(CPlotraDoc& doc) { return doc; }
    static CoverageGrids& Coverage(CPlotraDoc& doc) { return doc; }
    static ProjectFiles& Project(CPlotraDoc& doc) { return doc; }
    static TableSwitchState& TableSwitch(CPlotraDoc& doc) { return doc.m_tableSwitch; }
};

} // namespace plotra
