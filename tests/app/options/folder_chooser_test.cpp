#include "app/options/folder_chooser.h"

#include "app/shell/shell_test_support.h"

#include "core/translation/keys.h"

#include <QFileSystemModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

using test::child;
using test::qtext;

TEST(FolderChooser, ReportsTheFolderOfTheTreeOrAsTypedAndCancelByAnyMeans) {
    test::ShellFixture f;
    AppContext& context = f.makeContext(0);
    FolderChooser chooser(context);
    std::filesystem::create_directories(f.dir / "ws" / "plant1");
    EXPECT_EQ(chooser.windowTitle(), f.tr(translation::kSetWorkspace));

    // The tree starts at the start folder; selecting a folder in it fills the text field.
    f.dialogs.scripts.push_back([&](QDialog& dialog) {
        auto& tree = child<QTreeView>(dialog, "DirectoryListBox1");
        auto* model = qobject_cast<QFileSystemModel*>(tree.model());
        EXPECT_EQ(model->filePath(tree.currentIndex()), qtext(f.dir / "ws"));
        EXPECT_EQ(child<QLineEdit>(dialog, "Edit1").text(), qtext(f.dir / "ws"));
        tree.setCurrentIndex(model->index(qtext(f.dir / "ws" / "plant1")));
        test::click(dialog, "Button2");
        return dialog.result();
    });
    EXPECT_EQ(chooser.choose(nullptr, qtext(f.dir / "ws")), qtext(f.dir / "ws" / "plant1"));
    EXPECT_FALSE(chooser.chooserCancelled());

    // A typed folder comes back as typed, without its trailing separator, existing or not.
    f.dialogs.scripts.push_back(test::chooseFolder(qtext(f.dir / "typed" / "new") + "/"));
    EXPECT_EQ(chooser.choose(nullptr, qtext(f.dir / "ws")), qtext(f.dir / "typed" / "new"));

    struct Close {
        const char* how;
        std::function<void(QDialog&)> close;
    } closes[] = {
        {"Cancel", [](QDialog& d) { test::click(d, "Button3"); }},
        {"close box", [](QDialog& d) { d.close(); }},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
    };
    for (const Close& c : closes) {
        SCOPED_TRACE(c.how);
        f.dialogs.scripts.push_back([&](QDialog& dialog) {
            dialog.show();
            child<QLineEdit>(dialog, "Edit1").setText(qtext(f.dir / "ws"));
            c.close(dialog);
            return dialog.result();
        });
        EXPECT_EQ(chooser.choose(nullptr, {}), std::nullopt);
        EXPECT_TRUE(chooser.chooserCancelled());
    }

    // A caller's caption stays for later uses.
    chooser.setCaption(f.tr(translation::kDirectoryList));
    f.dialogs.scripts.push_back([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), f.tr(translation::kDirectoryList));
        return int(QDialog::Rejected);
    });
    chooser.choose(nullptr, {});
}

} // namespace
} // namespace busmason::app
