#include "tour.h"

#include "app/editor/network_editor_window.h"

#include <QListWidget>
#include <QTabWidget>

#include <cstdio>

// The network editor on the demo project, one picture per page.
BUSMASON_TOUR_STEP(20, "network editor") {
    using namespace busmason;
    app::AppContext& context = tour.context;
    if (context.state().edsFolder.isEmpty()) {
        context.state().edsFolder = app::toText(context.installFolder() / "eds");
    }
    app::NetworkEditorWindow window(context);
    if (!window.openOn(app::toText(tour.demoProject().parent_path()), "plant1", false)) {
        std::fprintf(stderr, "screenshots: the demo project did not open\n");
        return;
    }
    window.resize(1200, 720);
    auto* list = window.findChild<QListWidget*>("ListView1");
    if (list && list->count() > 0) {
        list->setCurrentRow(0);
    }
    auto* pages = window.findChild<QTabWidget*>("PageControl1");
    tour.save(window, "editor-network.png");
    pages->setCurrentIndex(1);
    tour.save(window, "editor-parameters.png");
    pages->setCurrentIndex(2);
    tour.save(window, "editor-variables.png");
    window.close();
}
