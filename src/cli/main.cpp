// plotra-cli: the Plotra pipeline without windows.
#include "cli/CliSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  plotra-cli analyze SURVEY... [--map MAP.hpf|IMAGE] [--no-merge] [--unit m|ft]\n"
    "           [--select valid|all|MAC[,MAC...]] [--resolution X[,Y]] [--no-coverage]\n"
    "           [--workspace OUT.hws] [outputs] [--json]\n"
    "      Load survey files (.hsd, or WiGLE CSV logs recognised by content) on the map if given (a\n"
    "      projection file, or a georeferenced picture as make-map takes it, by content), fit\n"
    "      every AP's propagation model and position, compute the combined coverage (unless\n"
    "      --no-coverage) and write the outputs. --select valid (default) ticks the APs with more\n"
    "      than 20 points; --resolution is the coverage cell size in display units (default feet).\n"
    "  plotra-cli export WORKSPACE.hws [outputs] [--json]\n"
    "      Re-export a saved project.\n"
    "  The image options set what the control panel and the graph window would: legend, compass,\n"
    "  grid lines, map and path toggles, lat/lon labels, the colour mode, the mixed colour, one AP's\n"
    "  own coverage (--ap), the cell-radius circles and the single contour at LOW and HIGH.\n"
    "  outputs: --image OUT.bmp [--graph power|snr|count] [--contours multi] [--alpha N] [--size WxH]\n"
    "                 [--legend] [--compass] [--grid x|y|xy] [--no-map] [--no-path] [--lonlat]\n"
    "                 [--colour-mode ap|group|single] [--mixed] [--ap MAC] [--cell-radius]\n"
    "                 [--contour LOW,HIGH]\n"
    "           --kml OUT.kml\n"
    "           --report OUT.html [--report-sections files,aps,path,coverage,signal,count] [--selected-only]\n"
    "           --table OUT.txt [--delimiter tab|comma|space|C] [--no-headings] [--no-quotes]\n"
    "           --pdf OUT.pdf [--requirement signal=-67,snr=25] [--title TEXT] [--customer TEXT]\n"
    "                 [--surveyor TEXT] [--paper a4|letter]\n"
    "                 (the client report: requirement met over 95 % of the covered area)\n"
    "           --palette classic|viridis|cividis  the colour scale of every picture's contours,\n"
    "                 number of APs and legend (viridis and cividis read with colour-blindness)\n"
    "  plotra-cli reliability WORKSPACE.hws (--ap MAC | --group) --threshold DBM\n"
    "             (--radius R | --probability P) [--json]\n"
    "      Cell and boundary reliability for a radius (display units), or the radius for a\n"
    "      boundary reliability, as the control panel shows them (\"%1.4f\" or \"N/A\").\n"
    "  plotra-cli relocate WORKSPACE.hws --ap MAC --to Y,X [--workspace OUT.hws]\n"
    "      Move an AP and refit its model; an implausible position is refused (exit 1).\n"
    "  plotra-cli info FILE... [--json]\n"
    "      Summary of survey data (.hsd), projection (.hpf) and workspace (.hws) files, and of\n"
    "      georeferenced pictures (size, coordinate system, fitted residual).\n"
    "  plotra-cli make-map IMAGE OUT.hpf [--gcp COLUMN,ROW,LATITUDE,LONGITUDE]... [--max-pixels N]\n"
    "      Make a projection file from a georeferenced picture: a GeoTIFF, or a PNG/JPEG/TIFF/BMP with a\n"
    "      world file (.pgw .jgw .tfw .wld) and a .prj beside it; or from any picture (a floor plan)\n"
    "      placed by three or more control points (pixel column and row from the top-left corner of\n"
    "      the picture, latitude and longitude in degrees). Pictures above N pixels (or the map size\n"
    "      limit) are reduced. Prints the size, coordinate system and residuals. See docs/maps.md.\n"
    "  plotra-cli make-map PLAN OUT.hpf --scale X1,Y1,X2,Y2,DIST[m|ft] [--origin LAT,LON] [--north DEG]\n"
    "           [--page N] [--dpi N] [--max-pixels N]\n"
    "      Make a projection file from a floor plan without georeference: a PNG, JPEG or BMP, or page N\n"
    "      of a PDF (rendered 2000 pixels across, or at --dpi). Pixels X1,Y1 and X2,Y2 (from the\n"
    "      top-left corner) are DIST apart (metres, or feet with ft); the plan's top-left corner lies at\n"
    "      --origin (default 0,0) and --north is the clockwise angle from the plan's up to north.\n"
    "  plotra-cli simulate SCENARIO OUTDIR [--seed N] [--recordings]\n"
    "      Write synthetic survey files, a map (SCENARIO.hpf) and truth.json; --recordings also\n"
    "      writes what a capture of each walk would have recorded (NAME.scans, NAME.gps.json).\n"
    "      Scenarios: demo, city, tiny, single, dense, metro, building (indoors: a floor plan\n"
    "      building.png made into building.hpf, and with --recordings the clicks NAME.clicks.csv).\n"
    "  plotra-cli capture OUT.hsd [--interface IF] [--gpsd HOST:PORT] [--duration S]\n"
    "             [--scan-interval S] [--max-age MS] [--noise-floor DBM] [--record-scans FILE]\n"
    "  plotra-cli capture OUT.hsd --replay-scans FILE (--replay-gps FILE | --gpsd HOST:PORT) [--realtime]\n"
    "      Write a survey file while walking: Wi-Fi scans of the adapter (nl80211, no root needed)\n"
    "      placed by gpsd's fixes (default localhost:2947), one point per scan, each on disk before\n"
    "      the next scan. A scan without a fix within 2 s is not written. Entries older than\n"
    "      --max-age (default 5000 ms) are left out; channels without a noise figure get the\n"
    "      --noise-floor (default -95 dBm). --record-scans keeps the adapter's messages for a replay;\n"
    "      --replay-scans and --replay-gps replay recordings, as fast as possible or at their pace\n"
    "      (--realtime). A status line shows the fix, satellites, scan rate, points and APs heard.\n"
    "      Ctrl+C stops and keeps the file. See docs/capture.md.\n"
    "  plotra-cli capture OUT.hsd (--replay-scans FILE | --interface IF) --clicks CLICKS.csv --map PLAN.hpf\n"
    "             [--mode stop-and-go|continuous]\n"
    "      Indoors: the scans placed by clicks on a floor plan (CLICKS.csv: time,x,y per click, Unix\n"
    "      seconds and picture pixels). stop-and-go: the first scan after a click is placed there;\n"
    "      continuous (default): the scans between two clicks lie on the line between them by time.\n"
    "  plotra-cli import-wigle IN.csv... OUT.hsd [--noise DBM]\n"
    "      Convert WiGLE CSV wardriving logs (appended in order) into one survey data file.\n"
    "      --noise sets the noise floor written for every channel (default -95 dBm).\n"
    "  plotra-cli help\n"
    "\n"
    "Exit status: 0 success, 1 the work failed (a refused file, nothing readable), 2 usage error.\n"
    "Messages appear on stderr as 'Caption: text'.\n";

} // namespace

int main(int argc, char** argv) {
    using namespace plotra::cli;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "info") return RunInfo(args);
    if (command == "simulate") return RunSimulate(args);
    if (command == "capture") return RunCapture(args);
    if (command == "import-wigle") return RunImportWigle(args);
    if (command == "reliability") return RunReliability(args);
    if (command == "relocate") return RunRelocate(args);
    if (command == "export") return RunExport(args);
    if (command == "analyze") return RunAnalyze(args);
    if (command == "make-map") return RunMakeMap(args);
    return UsageError("unknown command '" + command + "'");
}
