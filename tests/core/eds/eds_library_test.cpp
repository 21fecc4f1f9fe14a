#include "core/eds/eds_library.h"
#include "core/model/errors.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

namespace busmason::eds {
namespace {

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(EdsLibrary, ListsEdsFilesWhateverTheCaseOfTheExtension) {
    test::TempDir dir;
    for (const char* name : {"a.eds", "B.EDS", "c.Eds", "notes.txt", "eds", ".eds.bak"}) {
        test::writeBytes(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "folder.eds");
    EXPECT_EQ(sorted(listLibrary(dir.path())),
              (std::vector<std::string>{"B.EDS", "a.eds", "c.Eds"}));
    EXPECT_TRUE(listLibrary(dir / "absent").empty());
}

TEST(EdsLibrary, ImportCopiesUnderTheLastPathComponentReplacingTheOldFile) {
    test::TempDir dir;
    const auto library = dir / "library";
    std::filesystem::create_directory(library);
    test::writeBytes(library / "dev.eds", "old");
    test::writeBytes(dir / "picked" / "dev.eds", "new\r\nbytes\xE9");

    EXPECT_EQ(importEds(dir / "picked" / "dev.eds", library), "dev.eds");
    EXPECT_EQ(test::readBytes(library / "dev.eds"), "new\r\nbytes\xE9");
    EXPECT_EQ(listLibrary(library), (std::vector<std::string>{"dev.eds"}));

    // A path that climbs out of its folder still lands in the library under its own name.
    test::writeBytes(dir / "other.eds", "other");
    EXPECT_EQ(importEds(dir / "picked" / ".." / "other.eds", library), "other.eds");
    EXPECT_EQ(test::readBytes(library / "other.eds"), "other");
    EXPECT_EQ(test::readBytes(dir / "other.eds"), "other");
}

TEST(EdsLibrary, ImportingALibraryFileOntoItselfKeepsIt) {
    test::TempDir dir;
    test::writeBytes(dir / "dev.eds", "content");
    EXPECT_EQ(importEds(dir / "dev.eds", dir.path()), "dev.eds");
    EXPECT_EQ(test::readBytes(dir / "dev.eds"), "content");
}

TEST(EdsLibrary, AFailedImportThrowsNamingTheFile) {
    test::TempDir dir;
    test::writeBytes(dir / "dev.eds", "content");
    struct Case {
        std::filesystem::path source;
        std::filesystem::path library;
        std::filesystem::path named;
    };
    const Case cases[] = {
        {dir / "missing.eds", dir.path(), dir / "missing.eds"},
        {dir / "dev.eds", dir / "no-such-folder", dir / "no-such-folder" / "dev.eds"},
        {dir / "sub" / "..", dir.path(), dir / "sub" / ".."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.string());
        try {
            importEds(c.source, c.library);
            ADD_FAILURE() << "no error";
        } catch (const model::FileError& e) {
            EXPECT_EQ(e.path(), c.named.string());
        }
    }
}

TEST(EdsLibrary, EditorDeleteMatchesTheEntryExactly) {
    test::TempDir dir;
    test::writeBytes(dir / "dev.eds", "x");
    test::writeBytes(dir / "dev.txt", "x");
    EXPECT_EQ(deleteLibraryEntry(dir.path(), "Dev.eds"), DeleteOutcome::NoSuchFile);
    EXPECT_EQ(deleteLibraryEntry(dir.path(), "dev.txt"), DeleteOutcome::NoSuchFile);
    EXPECT_TRUE(std::filesystem::exists(dir / "dev.eds"));
    EXPECT_TRUE(std::filesystem::exists(dir / "dev.txt"));
    EXPECT_EQ(deleteLibraryEntry(dir.path(), "dev.eds"), DeleteOutcome::Deleted);
    EXPECT_FALSE(std::filesystem::exists(dir / "dev.eds"));
    EXPECT_EQ(deleteLibraryEntry(dir.path(), "dev.eds"), DeleteOutcome::NoSuchFile);
    EXPECT_EQ(deleteLibraryEntry(dir / "absent", "dev.eds"), DeleteOutcome::NoSuchFile);
}

TEST(EdsLibrary, OptionsDeleteRemovesTheNamedFileOnly) {
    test::TempDir dir;
    const auto library = dir / "library";
    test::writeBytes(library / "notes.txt", "x");
    test::writeBytes(dir / "outside.eds", "x");
    EXPECT_EQ(deleteLibraryFile(library, "notes.txt"), DeleteOutcome::Deleted);
    EXPECT_FALSE(std::filesystem::exists(library / "notes.txt"));
    EXPECT_EQ(deleteLibraryFile(library, "notes.txt"), DeleteOutcome::NoSuchFile);
    for (const char* name : {"../outside.eds", "", "..", "."}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(deleteLibraryFile(library, name), model::FileError);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "outside.eds"));
}

TEST(EdsLibrary, ADeleteThatFailsIsReported) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root removes files from read-only folders";
    }
    test::TempDir dir;
    test::writeBytes(dir / "dev.eds", "x");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    EXPECT_THROW(deleteLibraryEntry(dir.path(), "dev.eds"), model::FileError);
    EXPECT_THROW(deleteLibraryFile(dir.path(), "dev.eds"), model::FileError);
}

TEST(EdsLibrary, VerdictFileRules) {
    using Outcome = CheckerVerdict::Outcome;
    struct Case {
        const char* what;
        std::string text;
        Outcome outcome;
        int line;
    };
    const std::string longLine(254, 'x');
    const Case cases[] = {
        {"empty file", "", Outcome::Accepted, 0},
        {"empty lines", "\n\r\n\n", Outcome::Accepted, 0},
        {"parts of error", "error\nerr\nrror\ne\nror\r\n", Outcome::Accepted, 0},
        {"only finding without a line end", "\nerror\ndev.eds:3: no DataType", Outcome::Accepted,
         0},
        {"a finding", "error\ndev.eds:3: no DataType\nmore\n", Outcome::Findings, 2},
        {"not a part of error", "errors\n", Outcome::Findings, 1},
        {"upper case", "ERROR\n", Outcome::Findings, 1},
        {"blank is not empty", " \n", Outcome::Findings, 1},
        {"a line longer than 253", longLine + "\n", Outcome::Findings, 1},
        {"a final line longer than 253", "\n" + longLine, Outcome::Findings, 2},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeBytes(dir / "eds.err", c.text);
        const CheckerVerdict v = readVerdict(dir / "eds.err");
        EXPECT_EQ(v.outcome, c.outcome);
        EXPECT_EQ(v.line, c.line);
    }
    EXPECT_EQ(readVerdict(dir / "absent.err").outcome, Outcome::Missing);
    EXPECT_EQ(readVerdict(dir.path()).outcome, Outcome::Missing);
    test::writeBytes(dir / "eds.err", "x\r\n");
    EXPECT_EQ(readVerdict(dir / "eds.err").firstFinding, "x");
}

} // namespace
} // namespace busmason::eds
