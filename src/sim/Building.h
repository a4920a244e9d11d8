#pragma once
/// \brief The floor of a simulated building, for indoor surveys placed by clicks on a plan: walls
/// that cost signal, doors, the plan picture's size and scale, where its top-left corner lies on
/// the earth, and the turns of the walk a surveyor would click.
///
/// Everything is in plan metres: x to the right, y down from the plan picture's top-left corner,
/// the way the picture's pixels count. A position turns into latitude and longitude on the plane
/// tangent to the earth at that corner, the plane a floor plan made with a scale is laid on, so the
/// plan picture placed by its scale coincides with the simulated positions.

#include <cstdint>
#include <string>
#include <vector>

namespace plotra::sim {

/// \brief A wall, as the segment along its middle.
struct Wall {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

/// \brief A door in a wall that runs across the plan: the gap from x1 to x2 at y, hinged at x1, its
/// leaf swinging towards larger y when \c opensDown.
struct Door {
    double x1 = 0, x2 = 0, y = 0;
    bool opensDown = false;
};

/// \brief A room: the rectangle inside its walls.
struct Room {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

/// \brief A turn of the walk: when the walker passed it (ns since 1970) and where (plan metres).
struct WalkTurn {
    std::int64_t timeNs = 0;
    double x = 0, y = 0;
};

/// \brief A floor plan of the simulated building.
struct Floor {
    double widthM = 0, heightM = 0;      ///< the plan picture's extent, the building and a margin
    double pixelsPerMetre = 20;          ///< of the plan picture
    double originLat = 0, originLon = 0; ///< the plan's top-left corner, degrees
    double wallLossDb = 0;               ///< signal lost through each wall
    double buildingX0 = 0, buildingY0 = 0, buildingX1 = 0, buildingY1 = 0; ///< outer walls
    std::vector<Wall> walls;
    std::vector<Door> doors;
    std::vector<Room> rooms;

    int WidthPx() const;
    int HeightPx() const;
    double Latitude(double y) const;
    double Longitude(double x) const;
    /// Plan metres of a position (the inverse of Latitude and Longitude).
    double X(double lon) const;
    double Y(double lat) const;
};

/// Walls the straight line from (\p x1, \p y1) to (\p x2, \p y2) passes through. Touching a wall's
/// end or running along a wall does not count: only crossings from one side to the other.
int WallsCrossed(const std::vector<Wall>& walls, double x1, double y1, double x2, double y2);

/// The office floor of the "building" scenario: 40 x 25 m, a corridor 3 m wide along its middle,
/// four rooms on the north side and three on the south, each with a door onto the corridor, and a
/// margin of 2 m around it on the plan. Its top-left plan corner lies at \p originLat, \p originLon.
Floor OfficeFloor(double originLat, double originLon, double wallLossDb);

/// The walk through the floor, as its turns in order: from the corridor's west end eastwards,
/// round each room through its door and back, to the corridor's east end.
std::vector<WalkTurn> OfficeWalk(const Floor& floor);

/// The click log of a walk's turns as \c plotra-cli \c capture \c --clicks reads it: a heading, then
/// "time,x,y" per turn (Unix seconds to the millisecond, plan picture pixels).
std::string ClickLogText(const Floor& floor, const std::vector<WalkTurn>& turns);

} // namespace plotra::sim
