#include "support/cli_run.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace busmason {
namespace {

using test::runShell;
using test::shellQuote;

namespace fs = std::filesystem;

/// The desktop program of the build, or empty when the build has none.
fs::path guiProgram() {
    return fs::path(BUSMASON_GUI_PROGRAM);
}

/// Skips the test when the build has the desktop program but it was not built yet (the
/// package and the "gui" component need it).
#define SKIP_UNLESS_GUI_BUILT()                                                                    \
    if (!guiProgram().empty() && !fs::exists(guiProgram())) {                                      \
        GTEST_SKIP() << "build the busmason target first: " << guiProgram();                       \
    }

bool isExecutable(const fs::path& p) {
    std::error_code ec;
    const auto perms = fs::status(p, ec).permissions();
    return !ec && (perms & fs::perms::owner_exec) != fs::perms::none;
}

/// The environment of a user who never ran the program: a fresh home, no overrides.
std::string cleanEnvironment(const fs::path& home) {
    return "env -u BUSMASON_INSTALL -u BUSMASON_SETTINGS -u BUSMASON_CLI -u XDG_CONFIG_HOME HOME=" +
           shellQuote(home.string()) + " PATH=/usr/bin:/bin";
}

TEST(Installation, ProgramsInstalledIntoARootFindTheirDataBesideThemselves) {
    SKIP_UNLESS_GUI_BUILT();
    test::TempDir root;
    std::vector<std::string> components{"cli", "data"};
    if (!guiProgram().empty()) {
        components.push_back("gui");
    }
    for (const std::string& component : components) {
        const test::CliRun r =
            runShell("DESTDIR=" + shellQuote(root.path().string()) + " " +
                     shellQuote(BUSMASON_CMAKE) + " --install " + shellQuote(BUSMASON_BUILD_DIR) +
                     " --prefix /usr --component " + component);
        ASSERT_EQ(r.status, 0) << component << "\n" << r.out << r.err;
    }
    const fs::path usr = root / "usr";
    const fs::path data = usr / "share" / "busmason";
    EXPECT_TRUE(isExecutable(usr / "bin" / "busmason-cli"));
    EXPECT_TRUE(isExecutable(data / "bin" / "EDSCheck"));
    for (const char* file : {"traduzioni.txt", "eds/KM110.eds", "eds/KM1100.eds", "eds/KD240.eds",
                             "CANOpen/Terminali/KM120_16DI.xml"}) {
        EXPECT_TRUE(fs::is_regular_file(data / file)) << file;
    }

    // A library file only the installed copy has: the program takes its data from beside
    // itself, not from the source tree it was built from, whatever the current folder.
    fs::copy_file(test::testData("check/check_io.eds"), data / "eds" / "installed_only.eds");
    const fs::path home = root / "home";
    fs::create_directories(home);
    const fs::path project = root / "work" / "line" / "line.bsm";
    const std::string cli =
        cleanEnvironment(home) + " " + shellQuote((usr / "bin" / "busmason-cli").string());
    test::CliRun r = runShell(cli + " edit " + shellQuote(project.string()) +
                              " add-node installed_only.eds map 1 6000.1 door");
    ASSERT_EQ(r.status, 0) << r.err;
    r = runShell(cli + " build " + shellQuote(project.string()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(project.parent_path() / "network0.cmg"));
    r = runShell(cli + " check " + shellQuote(project.string()));
    EXPECT_EQ(r.status, 0) << r.out << r.err;

    // The installed checker runs the installed command-line tool and writes its verdict.
    const fs::path work = root / "checker";
    fs::create_directories(work);
    r = runShell("cd " + shellQuote(work.string()) + " && " + cleanEnvironment(home) + " " +
                 shellQuote((data / "bin" / "EDSCheck").string()) + " '' " +
                 shellQuote((data / "eds" / "KM110.eds").string()));
    EXPECT_LE(r.status, 1) << r.err;
    ASSERT_TRUE(fs::exists(work / "eds.err"));
    EXPECT_EQ(test::readBytes(work / "eds.err").find("EDSCheck:"), std::string::npos)
        << test::readBytes(work / "eds.err");

    if (guiProgram().empty()) {
        return;
    }
    const fs::path desktop = usr / "share" / "applications" / "busmason.desktop";
    ASSERT_TRUE(fs::exists(desktop));
    EXPECT_TRUE(
        fs::exists(usr / "share" / "icons" / "hicolor" / "scalable" / "apps" / "busmason.svg"));
    r = runShell("desktop-file-validate " + shellQuote(desktop.string()));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out + r.err, "");
    // The installed desktop program starts offscreen on a clean home and keeps running until
    // it is stopped (timeout's 124): it did not fail at start-up.
    r = runShell(cleanEnvironment(home) + " QT_QPA_PLATFORM=offscreen timeout 3 " +
                 shellQuote((usr / "bin" / "busmason").string()));
    EXPECT_EQ(r.status, 124) << r.err;
}

TEST(Installation, DebianPackageDependsOnWhatTheProgramsLinkAndRuns) {
    SKIP_UNLESS_GUI_BUILT();
    test::TempDir dir;
    const test::CliRun made =
        runShell(shellQuote(BUSMASON_CPACK) + " -G DEB --config " +
                 shellQuote(std::string(BUSMASON_BUILD_DIR) + "/CPackConfig.cmake") + " -B " +
                 shellQuote(dir.path().string()));
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    fs::path deb;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".deb") {
            deb = entry.path();
        }
    }
    ASSERT_FALSE(deb.empty()) << made.out;
    EXPECT_EQ(deb.filename().string().rfind("busmason_", 0), 0u) << deb;

    const test::CliRun depends = runShell("dpkg-deb -f " + shellQuote(deb.string()) + " Depends");
    ASSERT_EQ(depends.status, 0) << depends.err;
    std::vector<std::string> wanted{"libc6", "libcurl4", "libpugixml1v5", "libstdc++6"};
    if (!guiProgram().empty()) {
        wanted.insert(wanted.end(), {"libqt6widgets6", "libqt6svg6"});
    }
    for (const std::string& package : wanted) {
        EXPECT_NE(depends.out.find(package), std::string::npos) << package << ": " << depends.out;
    }

    const test::CliRun contents = runShell("dpkg-deb -c " + shellQuote(deb.string()));
    ASSERT_EQ(contents.status, 0) << contents.err;
    for (const char* file : {"./usr/bin/busmason-cli", "./usr/share/busmason/traduzioni.txt",
                             "./usr/share/busmason/bin/EDSCheck"}) {
        EXPECT_NE(contents.out.find(file), std::string::npos) << file;
    }
    if (!guiProgram().empty()) {
        EXPECT_NE(contents.out.find("./usr/bin/busmason\n"), std::string::npos);
        EXPECT_NE(contents.out.find("./usr/share/applications/busmason.desktop"),
                  std::string::npos);
    }

    // Unpacked, the package's program runs and takes its data from the package's tree.
    const fs::path unpacked = dir / "root";
    ASSERT_EQ(
        runShell("dpkg-deb -x " + shellQuote(deb.string()) + " " + shellQuote(unpacked.string()))
            .status,
        0);
    fs::copy_file(test::testData("check/check_io.eds"),
                  unpacked / "usr" / "share" / "busmason" / "eds" / "packaged_only.eds");
    const fs::path home = dir / "home";
    fs::create_directories(home);
    const test::CliRun run =
        runShell(cleanEnvironment(home) + " " +
                 shellQuote((unpacked / "usr" / "bin" / "busmason-cli").string()) + " edit " +
                 shellQuote((dir / "p" / "p.bsm").string()) + " add-node packaged_only.eds");
    EXPECT_EQ(run.status, 0) << run.err;
}

} // namespace
} // namespace busmason
