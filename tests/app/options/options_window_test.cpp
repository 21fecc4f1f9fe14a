#include "app/options/options_window.h"

#include "app/options/folder_chooser.h"

#include "app/shell/shell_test_support.h"

#include "core/translation/keys.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

using test::child;
using test::click;
using test::qtext;

class OptionsWindowTest : public ::testing::Test {
protected:
    OptionsWindowTest() : context(f.makeContext(1)), chooser(context) {}

    /// The window as the start window shows it: modally, the script acting on it.
    void showOptions(OptionsWindow& window, std::function<void(OptionsWindow&)> script) {
        f.dialogs.scripts.push_back([&window, script](QDialog&) {
            window.show();
            script(window);
            window.close();
            return window.result();
        });
        f.dialogs.exec(window);
    }

    std::vector<QString> restarts() const {
        std::vector<QString> out;
        for (const QString& text : f.dialogs.texts()) {
            if (text == f.tr(translation::kRestart)) {
                out.push_back(text);
            }
        }
        return out;
    }

    QStringList listed(OptionsWindow& window) {
        QStringList out;
        auto& list = child<QListWidget>(window, "FileListBox2");
        for (int i = 0; i < list.count(); ++i) {
            out << list.item(i)->text();
        }
        return out;
    }

    test::ShellFixture f;
    AppContext& context;
    FolderChooser chooser;
};

TEST_F(OptionsWindowTest, CreationSettlesTheFoldersAndTheFolderSaveStoresTheFields) {
    OptionsWindow window(context, chooser, f.sources());
    const SharedState& state = context.state();
    EXPECT_EQ(state.edsFolder, qtext(f.dir / "data" / "eds") + "/");
    EXPECT_EQ(state.workspaceFolder, qtext(f.dir / "home" / "Busmason") + "/");
    EXPECT_TRUE(f.dialogs.shown.empty());
    EXPECT_EQ(window.windowTitle(), f.tr(translation::kOpzioni));

    const QString other = qtext(f.dir / "other-eds") + "/";
    showOptions(window, [&](OptionsWindow& w) {
        EXPECT_FALSE(child<QLineEdit>(w, "Edit1").isVisible());
        EXPECT_FALSE(child<QLineEdit>(w, "Edit6").isVisible());
        EXPECT_EQ(child<QLineEdit>(w, "Edit1").text(), state.templateFolder);
        auto& eds = child<QLineEdit>(w, "Edit5");
        EXPECT_EQ(eds.text(), state.edsFolder);
        EXPECT_EQ(listed(w), (QStringList{"KD240.eds", "KM110.eds", "KM1100.eds"}));
        eds.setText(other);
        click(w, "Button3");
        EXPECT_FALSE(w.isVisible());
    });
    EXPECT_EQ(state.edsFolder, other);
    EXPECT_EQ(f.stored(setting::kEds), other);
    EXPECT_EQ(f.stored(setting::kTemplate), state.templateFolder);
    EXPECT_EQ(f.stored(setting::kCan), state.programFolder);
    EXPECT_TRUE(restarts().empty());
}

TEST_F(OptionsWindowTest, LanguageSaveStoresTheChoiceAndAsksForARestart) {
    OptionsWindow window(context, chooser, f.sources());
    auto& pages = child<QTabWidget>(window, "PageControl1");
    showOptions(window, [&](OptionsWindow& w) {
        pages.setCurrentWidget(&child<QWidget>(w, "TabSheet2"));
        EXPECT_TRUE(child<QRadioButton>(w, "RadioButton1").isChecked());
        EXPECT_FALSE(child<QRadioButton>(w, "RadioButton3").isVisible());
        auto& english = child<QRadioButton>(w, "RadioButton2");
        // On its circle: a radio button stretched across the group takes clicks only there and
        // on its text.
        QTest::mouseClick(&english, Qt::LeftButton, {}, QPoint(8, english.height() / 2));
        EXPECT_EQ(context.languageIndex(), 0);
        click(w, "Button2");
    });
    EXPECT_EQ(f.stored(setting::kLang), "0");
    EXPECT_EQ(restarts().size(), 1U);
    EXPECT_EQ(f.dialogs.shown.back().icon, Dialogs::Icon::Warning);

    // A stored Spanish checks the hidden "Espanol".
    context.setLanguageIndex(2);
    showOptions(window, [&](OptionsWindow& w) {
        pages.setCurrentWidget(&child<QWidget>(w, "TabSheet2"));
        EXPECT_TRUE(child<QRadioButton>(w, "RadioButton3").isChecked());
        EXPECT_FALSE(child<QRadioButton>(w, "RadioButton3").isVisible());
        EXPECT_FALSE(child<QRadioButton>(w, "RadioButton2").isChecked());
    });
}

TEST_F(OptionsWindowTest, ImportAndDeleteChangeTheLibraryAndEveryLaterClosingRemindsOnce) {
    OptionsWindow window(context, chooser, f.sources());
    const std::filesystem::path library = f.dir / "data" / "eds";
    const std::filesystem::path source = f.dir / "downloads" / "NEW.eds";
    test::writeBytes(source, "[FileInfo]\r\nFileName=NEW.eds\r\n");

    showOptions(window, [&](OptionsWindow& w) {
        f.dialogs.files.push_back(qtext(source));
        click(w, "Button9");
        EXPECT_TRUE(listed(w).contains("NEW.eds"));
        auto& list = child<QListWidget>(w, "FileListBox2");
        list.setCurrentItem(list.findItems("KD240.eds", Qt::MatchExactly).front());
        click(w, "Button10");
        EXPECT_FALSE(listed(w).contains("KD240.eds"));
    });
    EXPECT_EQ(test::readBytes(library / "NEW.eds"), test::readBytes(source));
    EXPECT_FALSE(std::filesystem::exists(library / "KD240.eds"));
    EXPECT_TRUE(window.edsListChanged());
    EXPECT_EQ(restarts().size(), 1U);
    EXPECT_EQ(f.stored(setting::kLang), "1");

    // Saving the language after the change reminds once, not twice.
    showOptions(window, [&](OptionsWindow& w) { click(w, "Button2"); });
    EXPECT_EQ(restarts().size(), 2U);
    // The flag is never cleared: a later closing without any change reminds again.
    showOptions(window, [](OptionsWindow&) {});
    EXPECT_EQ(restarts().size(), 3U);
}

TEST_F(OptionsWindowTest, AFailedImportIsReportedAndACancelledOneStillCountsAsAChange) {
    OptionsWindow window(context, chooser, f.sources());
    showOptions(window, [&](OptionsWindow& w) {
        f.dialogs.files.push_back(qtext(f.dir / "missing.eds"));
        click(w, "Button9");
        ASSERT_FALSE(f.dialogs.shown.empty());
        EXPECT_EQ(f.dialogs.shown.back().icon, Dialogs::Icon::Error);
        EXPECT_TRUE(f.dialogs.shown.back().text.contains("missing.eds"));
    });
    EXPECT_FALSE(std::filesystem::exists(f.dir / "data" / "eds" / "missing.eds"));

    OptionsWindow fresh(context, chooser, f.sources());
    showOptions(fresh, [&](OptionsWindow& w) { click(w, "Button9"); });
    EXPECT_TRUE(fresh.edsListChanged());
}

TEST_F(OptionsWindowTest, ChoosingTheEdsFolderStoresItAtOnce) {
    OptionsWindow window(context, chooser, f.sources());
    const std::filesystem::path chosen = f.dir / "my-eds";
    test::writeBytes(chosen / "ONE.txt", "any file");
    showOptions(window, [&](OptionsWindow& w) {
        f.dialogs.scripts.push_back([&](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), f.tr(translation::kDirectoryList));
            return test::chooseFolder(qtext(chosen))(dialog);
        });
        click(w, "Button7");
        EXPECT_EQ(child<QLineEdit>(w, "Edit5").text(), qtext(chosen) + "/");
        EXPECT_EQ(listed(w), QStringList{"ONE.txt"});
    });
    EXPECT_EQ(f.stored(setting::kEds), qtext(chosen) + "/");
    EXPECT_EQ(context.state().edsFolder, qtext(chosen) + "/");
}

TEST_F(OptionsWindowTest, SavesThatCannotReachTheStoreSayErrorAndChangeNothing) {
    // Settings in a "folder" that is a file cannot be written.
    test::writeBytes(f.dir / "blocked", "");
    SettingsStore blocked(qtext(f.dir / "blocked" / "settings.ini"));
    AppContext other(translation::TranslationTable(context.table()), 1, blocked, f.dialogs,
                     test::installData());
    FolderChooser otherChooser(other);
    OptionsWindow unwritable(other, otherChooser, f.sources());
    f.dialogs.shown.clear();
    showOptions(unwritable, [&](OptionsWindow& w) {
        child<QLineEdit>(w, "Edit5").setText("/elsewhere/");
        click(w, "Button3");
    });
    ASSERT_EQ(f.dialogs.shown.size(), 1U);
    EXPECT_EQ(f.dialogs.shown[0].text, other.tr(translation::kError1));
    EXPECT_EQ(f.dialogs.shown[0].icon, Dialogs::Icon::Error);
    EXPECT_NE(other.state().edsFolder, "/elsewhere/");

    showOptions(unwritable, [&](OptionsWindow& w) { click(w, "Button2"); });
    EXPECT_EQ(f.dialogs.shown.back().text, other.tr(translation::kError1));
    EXPECT_TRUE(restarts().empty());
}

} // namespace
} // namespace busmason::app
