#include "core/persistence/project_io.h"

#include "core/persistence/sample_project.h"
#include "core/util/file_io.h"

#include <gtest/gtest.h>

#include <set>

namespace busmason::persistence {
namespace {

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        out.insert(e.path().filename().string());
    }
    return out;
}

TEST(ProjectSave, WritesBothFilesAndClearsModified) {
    test::TempDir dir;
    editor::NetworkSession s = test::sampleSession(dir.path());
    ASSERT_TRUE(s.modified());
    saveProject(s);
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(test::firstDifference(test::readBytes(test::testData("persistence/nodes.bsm")),
                                    test::readBytes(dir / "nodes.bsm")),
              "");
    EXPECT_EQ(test::firstDifference(test::readBytes(test::testData("persistence/nodes.pco")),
                                    test::readBytes(dir / "nodes.pco")),
              "");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"nodes.bsm", "nodes.pco"}));
}

TEST(ProjectSave, AFailedSaveKeepsTheOldPairAndTheModifiedFlag) {
    const struct {
        const char* what;
        const char* blocked; // made a folder, so that the file cannot replace it
        const char* failing;
    } cases[] = {
        {"project file cannot be replaced", "nodes.bsm", "nodes.bsm"},
        {"coupler file cannot be replaced", "nodes.pco", "nodes.pco"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        const std::string oldBsm = "old project\r\n";
        const std::string oldPco = "<Module>\r\n</Module>\r\n";
        for (const char* name : {"nodes.bsm", "nodes.pco"}) {
            if (std::string(name) == c.blocked) {
                test::writeBytes(dir / name / "inside", "x");
            } else {
                test::writeBytes(dir / name, std::string(name) == "nodes.bsm" ? oldBsm : oldPco);
            }
        }
        editor::NetworkSession s = test::sampleSession(dir.path());
        try {
            saveProject(s);
            ADD_FAILURE() << "the save did not fail";
        } catch (const model::FileError& e) {
            EXPECT_EQ(e.path(), util::displayPath(dir / c.failing));
        }
        EXPECT_TRUE(s.modified());
        const std::string other = std::string(c.blocked) == "nodes.bsm" ? "nodes.pco" : "nodes.bsm";
        EXPECT_EQ(test::readBytes(dir / other), other == "nodes.bsm" ? oldBsm : oldPco);
        EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"nodes.bsm", "nodes.pco"}));
    }
}

TEST(ProjectSave, IntoAMissingFolderFailsWithoutWritingAnything) {
    test::TempDir dir;
    editor::NetworkSession s = test::sampleSession(dir / "gone");
    EXPECT_THROW(saveProject(s), model::FileError);
    EXPECT_TRUE(s.modified());
    EXPECT_TRUE(namesIn(dir.path()).empty());
}

TEST(ProjectSave, ANewPairIsRemovedWhenItsSecondFileFails) {
    test::TempDir dir;
    test::writeBytes(dir / "nodes.pco" / "inside", "x");
    editor::NetworkSession s = test::sampleSession(dir.path());
    EXPECT_THROW(saveProject(s), model::FileError);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"nodes.pco"}));
}

} // namespace
} // namespace busmason::persistence
