#include "files/ResourceDir.h"

#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace plotra;
using namespace plotra::test;

namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "body {}\n";
}

} // namespace

TEST(ResourceDirTest, InstalledLayoutIsShareBesideBin) {
    EXPECT_EQ(InstalledResourceDirFromBinDir(), fs::path("../share/plotra"));
}

TEST(ResourceDirTest, BuildTreeFolderBesideTheExecutable) {
    TempDir dir;
    const fs::path exeDir = fs::path(dir.Path()) / "build" / "src" / "app";
    Touch(exeDir / "resources" / "report.css");
    EXPECT_EQ(FindResourceDir(exeDir), exeDir / "resources");
}

TEST(ResourceDirTest, InstalledTreeSharedDataFolder) {
    TempDir dir;
    const fs::path prefix = fs::path(dir.Path()) / "usr";
    fs::create_directories(prefix / "bin");
    Touch(prefix / "share" / "plotra" / "report.css");
    EXPECT_EQ(FindResourceDir(prefix / "bin"), prefix / "share" / "plotra");
}

TEST(ResourceDirTest, BuildTreeWinsWhenBothExist) {
    TempDir dir;
    const fs::path prefix = fs::path(dir.Path()) / "usr";
    Touch(prefix / "bin" / "resources" / "report.css");
    Touch(prefix / "share" / "plotra" / "report.css");
    EXPECT_EQ(FindResourceDir(prefix / "bin"), prefix / "bin" / "resources");
}

TEST(ResourceDirTest, AFolderWithoutTheStyleSheetDoesNotCount) {
    // An unrelated "resources" folder beside an installed program must not hide the shared data.
    TempDir dir;
    const fs::path prefix = fs::path(dir.Path()) / "usr";
    fs::create_directories(prefix / "bin" / "resources");
    Touch(prefix / "share" / "plotra" / "report.css");
    EXPECT_EQ(FindResourceDir(prefix / "bin"), prefix / "share" / "plotra");
}

TEST(ResourceDirTest, NeitherFoundNamesTheBuildTreeFolder) {
    TempDir dir;
    const fs::path exeDir = fs::path(dir.Path()) / "bin";
    fs::create_directories(exeDir);
    EXPECT_EQ(FindResourceDir(exeDir), exeDir / "resources");
}

TEST(ResourceDirTest, TheRunningTestFindsAFolderNextToItself) {
    // The test executable has no resources, so the answer is the build-tree folder beside it.
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(fs::path(ProgramResourceDir()), self.parent_path() / "resources");
}
