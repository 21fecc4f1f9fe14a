#include "app/shell/startup_settings.h"

#include "app/shell/shell_test_support.h"

#include "core/translation/keys.h"

#include <QDir>

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

using test::qtext;

TEST(LanguageSetting, LeadingDecimalNumberFrom0To3ElseItalianRewritten) {
    struct Case {
        std::optional<QString> stored;
        int index;
        const char* storedAfter;
    } cases[] = {
        {std::nullopt, 1, "1"},
        {"", 1, "1"},
        {"0", 0, "0"},
        {"1", 1, "1"},
        {"2", 2, "2"},
        {"3", 3, "3"},
        {"7", 1, "1"},
        {"12", 1, "1"},
        {"-1", 1, "1"},
        {"x", 0, "x"},
        {"Italiano", 0, "Italiano"},
        {"2 (Spanish)", 2, "2 (Spanish)"},
        {"99999999999", 1, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("<absent>").toStdString());
        test::ShellFixture f;
        if (c.stored) {
            f.settings.write(setting::kLang, *c.stored);
        }
        EXPECT_EQ(loadLanguageSetting(f.settings), c.index);
        EXPECT_EQ(f.stored(setting::kLang), c.storedAfter);
    }
}

TEST(FolderSettings, FirstStartTakesTheInstallationAndMakesTheWorkspaceAndALibraryCopy) {
    test::ShellFixture f;
    const FolderSources sources = f.sources();
    const QString before = QDir::currentPath();

    const FolderSettings first = loadFolderSettings(f.settings, sources);
    EXPECT_TRUE(first.failures.isEmpty()) << first.failures.join('\n').toStdString();
    EXPECT_EQ(first.templateFolder, QDir::cleanPath(qtext(test::installData())));
    EXPECT_EQ(first.programFolder, QDir::cleanPath(sources.programFolder));
    EXPECT_EQ(first.workspaceFolder, qtext(f.dir / "home" / "Busmason") + "/");
    EXPECT_EQ(first.edsFolder, qtext(f.dir / "data" / "eds") + "/");
    EXPECT_TRUE(std::filesystem::is_directory(f.dir / "home" / "Busmason"));
    EXPECT_EQ(test::filesBelow(f.dir / "data" / "eds"),
              (std::vector<std::string>{"KD240.eds", "KM110.eds", "KM1100.eds"}));
    EXPECT_EQ(test::readBytes(f.dir / "data" / "eds" / "KM110.eds"),
              test::readBytes(test::installData("eds/KM110.eds")));
    EXPECT_EQ(f.stored(setting::kTemplate), first.templateFolder);
    EXPECT_EQ(f.stored(setting::kCan), first.programFolder);
    EXPECT_EQ(f.stored(setting::kProjectFolder), first.workspaceFolder);
    EXPECT_EQ(f.stored(setting::kEds), first.edsFolder);
    EXPECT_EQ(QDir::currentPath(), before);

    // The second start takes the stored folders; the user's changes to the library stay.
    test::writeBytes(f.dir / "data" / "eds" / "MINE.eds", "[FileInfo]\n");
    std::filesystem::remove(f.dir / "data" / "eds" / "KD240.eds");
    const FolderSettings second = loadFolderSettings(f.settings, sources);
    EXPECT_TRUE(second.failures.isEmpty());
    EXPECT_EQ(second.edsFolder, first.edsFolder);
    EXPECT_EQ(test::filesBelow(f.dir / "data" / "eds"),
              (std::vector<std::string>{"KM110.eds", "KM1100.eds", "MINE.eds"}));
}

TEST(FolderSettings, StaleRelativeOrEmptyValuesAreReplacedInMemoryAndStore) {
    test::ShellFixture f;
    const FolderSources sources = f.sources();
    const QString kept = qtext(f.dir.path());
    f.settings.write(setting::kTemplate, kept);
    f.settings.write(setting::kCan, ".");
    f.settings.write(setting::kProjectFolder, qtext(f.dir / "deleted"));
    f.settings.write(setting::kEds, "");

    const FolderSettings folders = loadFolderSettings(f.settings, sources);
    EXPECT_TRUE(folders.failures.isEmpty());
    EXPECT_EQ(folders.templateFolder, kept);
    EXPECT_EQ(folders.programFolder, QDir::cleanPath(sources.programFolder));
    EXPECT_EQ(folders.workspaceFolder, qtext(f.dir / "home" / "Busmason") + "/");
    EXPECT_EQ(folders.edsFolder, qtext(f.dir / "data" / "eds") + "/");
    EXPECT_EQ(f.stored(setting::kTemplate), kept);
    EXPECT_EQ(f.stored(setting::kCan), folders.programFolder);
    EXPECT_EQ(f.stored(setting::kProjectFolder), folders.workspaceFolder);
    EXPECT_EQ(f.stored(setting::kEds), folders.edsFolder);
}

TEST(FolderSettings, NotRootDirOnlyWhenTheStoredFolderAndItsFallbackBothFail) {
    test::ShellFixture f;
    FolderSources sources = f.sources();
    sources.installFolder = f.dir / "no-installation";
    // The home "folder" is a file: no workspace can be made in it.
    test::writeBytes(f.dir / "home-file", "");
    sources.homeFolder = qtext(f.dir / "home-file");
    const QString stale = qtext(f.dir / "gone");
    f.settings.write(setting::kProjectFolder, stale);
    AppContext& context = f.makeContext(0);

    applyFolderSettings(context, nullptr, sources);

    ASSERT_EQ(f.dialogs.shown.size(), 1U);
    EXPECT_EQ(f.dialogs.shown[0].caption, f.tr(translation::kAttenzione));
    EXPECT_EQ(f.dialogs.shown[0].icon, Dialogs::Icon::Error);
    EXPECT_TRUE(f.dialogs.shown[0].text.startsWith(f.tr(translation::kNotRootDir)));
    EXPECT_TRUE(f.dialogs.shown[0].text.contains("TEMPLATE:"));
    EXPECT_TRUE(f.dialogs.shown[0].text.contains("CANPRJDIR:"));
    // The EDS copy comes from the missing installation too.
    EXPECT_TRUE(f.dialogs.shown[0].text.contains("EDS:"));
    EXPECT_FALSE(f.dialogs.shown[0].text.contains("CAN:"));
    EXPECT_TRUE(context.state().templateFolder.isEmpty());
    EXPECT_EQ(context.state().workspaceFolder, stale);
    EXPECT_EQ(f.stored(setting::kTemplate), "<absent>");
    EXPECT_EQ(f.stored(setting::kProjectFolder), stale);
    EXPECT_FALSE(std::filesystem::exists(f.dir / "data" / "eds"));
}

} // namespace
} // namespace busmason::app
