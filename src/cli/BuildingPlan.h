#pragma once
/// \brief The floor plan of a simulated building as a surveyor would get it: a PNG of its walls and
/// doors with nothing else, made into a map by the same two scale points a user would give
/// make-map, so that the indoor capture and its analysis see the plan as they would a real one.

#include "sim/SurveyGenerator.h"

#include <QImage>

#include <string>
#include <vector>

namespace plotra::cli {

/// The plan picture of \p floor: white rooms, a light grey corridor, dark walls 0.2 m thick and the
/// doors with their swings.
QImage DrawFloorPlan(const sim::Floor& floor);

/// The scale a user would give make-map for \p floor: the ends of the building's north wall, 40 m
/// apart ("X1,Y1,X2,Y2,40m").
std::string FloorPlanScaleText(const sim::Floor& floor);

/// \brief What WriteFloorPlan wrote.
struct WrittenFloorPlan {
    std::string picture;            ///< OUTDIR/NAME.png
    std::string map;                ///< OUTDIR/NAME.hpf
    std::vector<std::string> lines; ///< the plan's description, as make-map prints it
};

/// Writes the plan picture of \p survey's floor as OUTDIR/NAME.png and the map made of it with its
/// scale and corner as OUTDIR/NAME.hpf (NAME: the scenario). False with a sentence in \p error.
bool WriteFloorPlan(const sim::GeneratedSurvey& survey, const std::string& outDir, WrittenFloorPlan& written,
                    std::string* error);

} // namespace plotra::cli
