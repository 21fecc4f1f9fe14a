#include "app/shell/start_window.h"

#include "app/options/folder_chooser.h"

#include "app/shell/shell_test_support.h"

#include "core/translation/keys.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

using test::child;
using test::click;
using test::qtext;

class StartWindowTest : public ::testing::Test {
protected:
    StartWindowTest() : context(f.makeContext(0)), editor(context), chooser(context) {
        context.windows().editor = &editor;
        window.setFolderChooser(&chooser);
        window.show();
        std::filesystem::create_directories(workspace);
    }

    QLineEdit& nameEdit() { return child<QLineEdit>(window, "nameEdit"); }
    QLineEdit& folderEdit() { return child<QLineEdit>(window, "folderEdit"); }
    QPushButton& createOpen() { return child<QPushButton>(window, "createOpenButton"); }
    QPushButton& workspaceButton() { return child<QPushButton>(window, "workspaceButton"); }

    /// New project in the workspace, named name (set whole, so control characters get in).
    void startNewProject(const QString& name) {
        click(window, "newProjectButton");
        f.dialogs.scripts.push_back(test::chooseFolder(qtext(workspace)));
        click(window, "workspaceButton");
        nameEdit().setText(name);
    }

    test::ShellFixture f;
    AppContext& context;
    test::FakeEditor editor;
    FolderChooser chooser;
    StartWindow window{context};
    const std::filesystem::path workspace = f.dir / "ws";
};

TEST_F(StartWindowTest, CreatesTheProjectFolderAndOpensTheEditorInCreatingMode) {
    EXPECT_EQ(window.windowTitle(), "KOVA Busmason rev 1.03");
    EXPECT_FALSE(createOpen().isEnabled());
    EXPECT_FALSE(workspaceButton().isEnabled());

    click(window, "newProjectButton");
    EXPECT_TRUE(workspaceButton().isEnabled());
    EXPECT_FALSE(nameEdit().isEnabled());
    f.dialogs.scripts.push_back(test::chooseFolder(qtext(workspace)));
    click(window, "workspaceButton");
    EXPECT_EQ(f.dialogs.execed, std::vector<QString>{"TForm3"});
    EXPECT_EQ(chooser.windowTitle(), f.tr(translation::kSetWorkspace));
    EXPECT_EQ(folderEdit().text(), qtext(workspace) + "/");
    EXPECT_EQ(f.stored(setting::kProjectFolder), qtext(workspace) + "/");

    QTest::keyClicks(&nameEdit(), "plant1");
    EXPECT_TRUE(createOpen().isEnabled());
    EXPECT_EQ(createOpen().text(), f.tr(translation::kCreateProject));
    nameEdit().clear();
    EXPECT_FALSE(createOpen().isEnabled());
    QTest::keyClicks(&nameEdit(), "plant1");
    click(window, "createOpenButton");

    EXPECT_TRUE(std::filesystem::is_directory(workspace / "plant1"));
    ASSERT_EQ(editor.opened.size(), 1U);
    EXPECT_EQ(editor.opened[0].projectName, "plant1");
    EXPECT_EQ(editor.opened[0].workspaceFolder, qtext(workspace) + "/");
    EXPECT_TRUE(editor.opened[0].newProject);
    EXPECT_EQ(f.stored(setting::kProjectName), "plant1");
    EXPECT_TRUE(f.dialogs.shown.empty());
    // After the editor: opening mode, but the created project is not reopened from here.
    EXPECT_FALSE(context.state().newProject);
    EXPECT_FALSE(createOpen().isEnabled());
    EXPECT_EQ(createOpen().text(), f.tr(translation::kApriProgetto));
    EXPECT_FALSE(workspaceButton().isEnabled());
}

TEST_F(StartWindowTest, ExistingProjectYesRemovesOnlyTheProjectsOwnFiles) {
    const std::filesystem::path project = workspace / "plant1";
    for (const char* file :
         {"plant1.bsm", "plant1.pco", "network0.cmg", "network1.cmg", "iomap0.cmg", "iomap1.cmg",
          "ASCIIcmg.txt", "plant1.gvl", "var.exp", "eds.err", "notes.txt", "other.bsm",
          "plant1.bsm.bak", "Network0.CMG", "manual.pdf", "sub/plant1.bsm"}) {
        test::writeBytes(project / file, "kept?");
    }
    startNewProject("plant1");
    f.dialogs.answers.push_back(Dialogs::Answer::Yes);
    click(window, "createOpenButton");

    ASSERT_EQ(f.dialogs.shown.size(), 1U);
    EXPECT_EQ(f.dialogs.shown[0].text, f.tr(translation::kProgettoEsiste));
    EXPECT_EQ(f.dialogs.shown[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(test::filesBelow(project),
              (std::vector<std::string>{"Network0.CMG", "manual.pdf", "notes.txt", "other.bsm",
                                        "plant1.bsm.bak", "sub/plant1.bsm"}));
    ASSERT_EQ(editor.opened.size(), 1U);
    EXPECT_TRUE(editor.opened[0].newProject);
}

TEST_F(StartWindowTest, ExistingProjectNoLeavesTheFolderAndOpensNothing) {
    test::writeBytes(workspace / "plant1" / "plant1.bsm", "project");
    startNewProject("plant1");
    f.dialogs.answers.push_back(Dialogs::Answer::No);
    click(window, "createOpenButton");

    EXPECT_EQ(test::filesBelow(workspace / "plant1"), std::vector<std::string>{"plant1.bsm"});
    EXPECT_TRUE(editor.opened.empty());
    EXPECT_FALSE(createOpen().isEnabled());
}

TEST_F(StartWindowTest, NamesThatAreNotPlainFileNamesAreRefusedAndNothingIsMade) {
    for (const QString& name :
         {QString("."), QString(".."), QString("../escape"), QString("a/b"), QString("a\\b"),
          QString("c:x"), QString("what?"), QString("tab\tname"), QString("star*")}) {
        SCOPED_TRACE(name.toStdString());
        f.dialogs.shown.clear();
        startNewProject(name);
        click(window, "createOpenButton");
        ASSERT_EQ(f.dialogs.shown.size(), 1U);
        EXPECT_EQ(f.dialogs.shown[0].caption, f.tr(translation::kErrore));
        EXPECT_EQ(f.dialogs.shown[0].icon, Dialogs::Icon::Error);
        EXPECT_TRUE(editor.opened.empty());
        EXPECT_TRUE(std::filesystem::is_empty(workspace));
        EXPECT_EQ(test::filesBelow(f.dir.path()), std::vector<std::string>{"settings.ini"});
    }
    EXPECT_TRUE(StartWindow::isPlainFileName("plant 1.v2"));
}

TEST_F(StartWindowTest, OpensAChosenProjectAndKeepsItReadyUnlessLeftWithExit) {
    const std::filesystem::path file = workspace / "plant1" / "plant1.bsm";
    test::writeBytes(file, "project");
    for (const bool exit : {false, true}) {
        SCOPED_TRACE(exit ? "left with File Exit" : "closed");
        editor.opened.clear();
        editor.exitWith = exit;
        f.dialogs.files.push_back(qtext(file));
        click(window, "openProjectButton");
        EXPECT_EQ(nameEdit().text(), "plant1");
        EXPECT_EQ(folderEdit().text(), qtext(workspace / "plant1"));
        EXPECT_TRUE(createOpen().isEnabled());
        EXPECT_EQ(createOpen().text(), f.tr(translation::kApriProgetto));
        EXPECT_EQ(f.stored(setting::kProjectFolder), qtext(workspace / "plant1"));
        EXPECT_EQ(f.stored(setting::kProjectName), "plant1");

        click(window, "createOpenButton");
        ASSERT_EQ(editor.opened.size(), 1U);
        EXPECT_FALSE(editor.opened[0].newProject);
        EXPECT_EQ(editor.opened[0].projectName, "plant1");
        EXPECT_EQ(editor.opened[0].workspaceFolder, qtext(workspace / "plant1"));
        EXPECT_EQ(createOpen().isEnabled(), !exit);
        EXPECT_EQ(createOpen().text(), f.tr(translation::kApriProgetto));
    }

    // A cancelled file dialog keeps the fields and leaves the button disabled.
    f.dialogs.files.push_back({});
    click(window, "openProjectButton");
    EXPECT_EQ(nameEdit().text(), "plant1");
    EXPECT_FALSE(createOpen().isEnabled());
}

TEST_F(StartWindowTest, WindowsNotBuiltYetSaySoInsteadOfOpening) {
    context.windows().editor = nullptr;
    window.chooseProject(qtext(workspace / "plant1.bsm"));
    click(window, "createOpenButton");
    child<QAction>(window, "optionsAction").trigger();
    ASSERT_EQ(f.dialogs.shown.size(), 2U);
    EXPECT_EQ(f.dialogs.shown[0].text, f.tr(translation::kNonDisponibile));
    EXPECT_EQ(f.dialogs.shown[1].text, f.tr(translation::kNonDisponibile));
}

} // namespace
} // namespace busmason::app
