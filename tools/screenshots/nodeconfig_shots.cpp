#include "tour.h"

#include "app/nodeconfig/node_config_window.h"
#include "app/nodeconfig/pdo_name_delegate.h"
#include "app/nodeconfig/pdo_table_model.h"

#include "core/editor/network_session.h"
#include "core/nodeconfig/node_config.h"
#include "core/persistence/project_io.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTableView>

#include <cstdio>
#include <optional>

namespace {

using namespace busmason;

/// The I/O module of the demo project, as the network editor opens its configuration.
constexpr int kDemoNode = 2;

std::optional<editor::NetworkSession> loadDemo(tools::Tour& tour) {
    persistence::LoadResult loaded =
        persistence::loadProject(tour.demoProject(), tour.context.installFolder() / "eds");
    if (!loaded.session) {
        std::fprintf(stderr, "screenshots: cannot load %s\n", tour.demoProject().c_str());
    }
    return std::move(loaded.session);
}

QString captionOf(const editor::NetworkSession& session, int address) {
    for (const editor::NetworkListEntry& entry : session.list()) {
        if (entry.address == address) {
            return QString::fromStdString(entry.caption);
        }
    }
    return {};
}

void showPage(app::NodeConfigWindow& window, app::NodeConfigWindow::Page page) {
    window.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(page);
}

void typeKey(QWidget& widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &release);
}

} // namespace

BUSMASON_TOUR_STEP(30, "node configuration") {
    std::optional<editor::NetworkSession> session = loadDemo(tour);
    if (!session) {
        return;
    }
    app::NodeConfigWindow window(tour.context);
    window.prepare(*session, kDemoNode, captionOf(*session, kDemoNode));
    const model::node& n = session->nodeAt(kDemoNode);

    using Page = app::NodeConfigWindow::Page;
    const std::pair<Page, const char*> pages[] = {
        {Page::AdministrationPage, "administration"}, {Page::FileInfoPage, "fileinfo"},
        {Page::DeviceInfoPage, "deviceinfo"},         {Page::ObjectDictionaryPage, "objects"},
        {Page::ParameterListPage, "parameters"},      {Page::VariableListPage, "variables"},
    };
    for (const auto& [page, name] : pages) {
        showPage(window, page);
        if (page == Page::ObjectDictionaryPage) {
            window.selectEntry(nodeconfig::selectEntry(n, "1017"));
        }
        tour.save(window, QString("node-config-%1.png").arg(name));
    }
    showPage(window, Page::ObjectDictionaryPage);
    window.selectEntry(nodeconfig::selectEntry(n, "1600.1"));
    tour.save(window, "node-config-objects-mapping.png");

    // The PDO page with a new name being typed over the name of a mapped entry.
    showPage(window, Page::PdoPage);
    auto* grid = window.findChild<QTableView*>("GridTPDO");
    const int row = window.pdoModel().rowOf(nodeconfig::selectEntry(n, "6200.2"));
    const QModelIndex cell = grid->model()->index(row, app::PdoTableModel::NameColumn);
    grid->setCurrentIndex(cell); // opens the name editor, as a click on the cell does
    if (QLineEdit* editor = window.pdoNameDelegate().openEditor()) {
        editor->selectAll();
        for (const QChar c : QString("lamp_green")) {
            typeKey(*editor, Qt::Key_unknown, c);
        }
        tour.save(window, "pdo-page.png");
        typeKey(*editor, Qt::Key_Minus, "-");
        tour.save(window, "pdo-page-refused.png");
    } else {
        std::fprintf(stderr, "screenshots: the PDO name editor did not open\n");
    }
    window.close();
}
