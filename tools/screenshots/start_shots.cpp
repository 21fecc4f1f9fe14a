#include "tour.h"

#include "app/options/folder_chooser.h"
#include "app/options/options_window.h"
#include "app/shell/start_window.h"
#include "app/shell/startup_settings.h"

#include "core/translation/keys.h"

#include <QCoreApplication>
#include <QTabWidget>

namespace {

using namespace busmason;

/// The folder sources of the tour: the bundled installation, and the user's folders inside the
/// tour's scratch folder beside the workspace copy, so nothing of the real user's is touched.
app::FolderSources tourSources(const tools::Tour& tour) {
    app::FolderSources sources;
    sources.installFolder = tour.context.installFolder();
    sources.programFolder = QCoreApplication::applicationDirPath();
    sources.homeFolder = app::toText(tour.workspace.parent_path());
    sources.userDataFolder = app::toText(tour.workspace.parent_path() / "user-data");
    return sources;
}

} // namespace

// The start window as the README's first command leaves it: the demo project chosen, one click
// from the editor.
BUSMASON_TOUR_STEP(10, "start window") {
    app::StartWindow window(tour.context);
    window.chooseProject(app::toText(tour.demoProject()));
    tour.save(window, "start.png");
    window.newProject();
    tour.save(window, "start-new.png");
}

BUSMASON_TOUR_STEP(90, "options window and folder chooser") {
    app::FolderChooser chooser(tour.context);
    app::OptionsWindow options(tour.context, chooser, tourSources(tour));
    tour.save(options, "options.png");
    auto* pages = options.findChild<QTabWidget*>("PageControl1");
    pages->setCurrentIndex(1);
    tour.save(options, "options-language.png");
    pages->setCurrentIndex(2);
    tour.save(options, "options-eds.png");
    options.hide();
    chooser.setCaption(tour.context.tr(translation::kDirectoryList));
    chooser.showFolder(app::toText(tour.workspace));
    tour.save(chooser, "folder-chooser.png");
}
