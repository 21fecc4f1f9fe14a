#include "app/shell/startup.h"

#include "app/options/folder_chooser.h"
#include "app/options/options_window.h"
#include "app/shell/help_documents.h"
#include "app/shell/start_window.h"

#include "app/shell/shell_test_support.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace busmason::app {
namespace {

using test::qtext;

TEST(Program, StartsInTheStoredLanguageAndSettlesTheFolders) {
    struct Case {
        const char* stored;
        const char* tools;
        const char* storedAfter;
    } cases[] = {
        {"0", "Tools", "0"},     {"1", "Strumenti", "1"}, {"3", "Herramientas", "3"},
        {"7", "Strumenti", "1"}, {"x", "Tools", "x"},     {nullptr, "Strumenti", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "<absent>");
        test::ShellFixture f;
        if (c.stored) {
            f.settings.write(setting::kLang, c.stored);
        }
        Program program(f.settings, f.dialogs, f.sources());
        StartWindow& start = program.startWindow();
        EXPECT_EQ(start.objectName(), "TForm5");
        EXPECT_EQ(test::child<QMenu>(start, "toolsMenu").title(), c.tools);
        EXPECT_EQ(f.stored(setting::kLang), c.storedAfter);
        EXPECT_TRUE(f.dialogs.shown.empty());
        // The options window's creation settled the folders of the shared state.
        EXPECT_EQ(program.context().state().edsFolder, qtext(f.dir / "data" / "eds") + "/");
        EXPECT_EQ(program.context().state().templateFolder,
                  QDir::cleanPath(qtext(test::installData())));
        EXPECT_EQ(program.optionsWindow().parentWidget(), &start);
        EXPECT_EQ(program.folderChooser().parentWidget(), &start);
    }
}

/// The visible controls of window whose accessible name is empty, by objectName or class.
QStringList unnamedControls(QWidget& window) {
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w);
        if (!control || !w->isVisible() || qobject_cast<QTabBar*>(w->parentWidget())) {
            continue;
        }
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
            out << (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
        }
    }
    return out;
}

TEST(Program, EveryControlOfTheShellWindowsHasAnAccessibleName) {
    for (const int language : {0, 1}) {
        SCOPED_TRACE(language);
        test::ShellFixture f;
        f.settings.write(setting::kLang, QString::number(language));
        Program program(f.settings, f.dialogs, f.sources());
        StartWindow& start = program.startWindow();
        start.show();
        EXPECT_EQ(unnamedControls(start), QStringList());
        start.newProject();
        EXPECT_EQ(unnamedControls(start), QStringList());

        FolderChooser& chooser = program.folderChooser();
        chooser.show();
        EXPECT_EQ(unnamedControls(chooser), QStringList());
        chooser.hide();

        OptionsWindow& options = program.optionsWindow();
        options.show();
        auto& pages = test::child<QTabWidget>(options, "PageControl1");
        for (int page = 0; page < pages.count(); ++page) {
            pages.setCurrentIndex(page);
            EXPECT_EQ(unnamedControls(options), QStringList()) << "page " << page;
        }
        options.hide();
    }
}

TEST(HelpDocuments, EachLanguageFindsItsOwnDocumentAmongTheGeneratedOnes) {
    const QString install = qtext(test::installData());
    // Every Markdown source has become its PDF (or the PDFs its first line names).
    const QDir sources(qtext(test::sourceDir("docs/help")));
    for (const QString& md : sources.entryList({"*.md"}, QDir::Files)) {
        QFile file(sources.filePath(md));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString first = QString::fromUtf8(file.readLine());
        QStringList pdfs{QFileInfo(md).completeBaseName() + ".pdf"};
        const QRegularExpressionMatch named =
            QRegularExpression("^<!-- *pdf: *(.*[^ ]) *-->").match(first);
        if (named.hasMatch()) {
            pdfs = named.captured(1).split(' ', Qt::SkipEmptyParts);
        }
        for (const QString& pdf : pdfs) {
            SCOPED_TRACE(pdf.toStdString());
            QFile out(install + "/Doc/" + pdf);
            ASSERT_TRUE(out.open(QIODevice::ReadOnly));
            EXPECT_TRUE(out.read(5) == "%PDF-");
        }
    }

    struct Case {
        const char* what;
        DocumentPattern pattern;
        const char* english;
        const char* italian;
    } cases[] = {
        {"start tutorial", help::kStartTutorial, "DX_Tutorial_Busmason.pdf",
         "DI_Tutorial_Busmason.pdf"},
        {"editor tutorial", help::kEditorTutorial, "DX_tutorial_kp.pdf", "DI_tutorial_kp.pdf"},
        {"coupler", help::kCouplerHelp, "DX_km110_A5.pdf", "DI_km110_A5.pdf"},
        {"compact module", help::kCompactIoHelp, "D_KM200_A5.pdf", "D_KM200_A5.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Spanish (2, and 3 read as its column) has no documents of its own: it takes English.
        for (const int language : {0, 2, 3}) {
            EXPECT_EQ(QFileInfo(findHelpDocument(install, c.pattern, language)).fileName(),
                      c.english);
        }
        EXPECT_EQ(QFileInfo(findHelpDocument(install, c.pattern, 1)).fileName(), c.italian);
    }
    EXPECT_TRUE(
        findHelpDocument(qtext(test::installData("eds")), help::kStartTutorial, 0).isEmpty());
}

} // namespace
} // namespace busmason::app
