// GDAL stays behind one file: everything else, the core and the GDAL-free half of src/georef,
// builds without its headers (and, like the rest of the core, without Qt's).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

TEST(GeorefLayering, OnlyTheImportIncludesGdalAndNoGeorefFileIncludesQt) {
    namespace fs = std::filesystem;
    const std::regex gdalInclude(R"(^\s*#\s*include\s*[<"](gdal|ogr|cpl_|cpl\.h|proj))");
    const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|qt))");
    int scanned = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(PLOTRA_SOURCE_DIR) / "src")) {
        const auto ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const bool gdalAllowed = entry.path().filename() == "GdalMapImport.cpp";
        const bool georef = entry.path().parent_path().filename() == "georef";
        std::ifstream in(entry.path());
        std::string line;
        for (int lineNo = 1; std::getline(in, line); ++lineNo) {
            if (!gdalAllowed) {
                EXPECT_FALSE(std::regex_search(line, gdalInclude)) << entry.path() << ":" << lineNo;
            }
            if (georef) {
                EXPECT_FALSE(std::regex_search(line, qtInclude)) << entry.path() << ":" << lineNo;
            }
        }
        ++scanned;
    }
    EXPECT_GT(scanned, 50);
    EXPECT_TRUE(fs::exists(fs::path(PLOTRA_SOURCE_DIR) / "src/georef/GdalMapImport.cpp"));
}
