#include "app/nodeconfig/node_config_window.h"
#include "app/nodeconfig/pdo_name_delegate.h"
#include "app/nodeconfig/pdo_table_model.h"
#include "app/shell/app_context.h"
#include "app/shell/dialogs.h"
#include "app/shell/settings_store.h"

#include "core/editor/network_session.h"
#include "core/eds/eds_parser.h"
#include "core/nodeconfig/node_config.h"
#include "core/translation/translation_table.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace busmason;

/// The largest EDS of the shared corpus (about 1,300 entries), or the bundled KM110.eds when the
/// corpus is absent.
fs::path largestEds() {
    const fs::path corpus = fs::path(BUSMASON_SHARED_DIR) / "eds-corpus";
    fs::path largest;
    std::uintmax_t largestSize = 0;
    std::error_code ec;
    for (fs::directory_iterator it(corpus, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".eds" && it->file_size(ec) > largestSize) {
            largestSize = it->file_size(ec);
            largest = it->path();
        }
    }
    return largest.empty() ? fs::path(BUSMASON_INSTALL_DATA) / "eds" / "KM110.eds" : largest;
}

/// The node configuration window over a session holding that EDS's node at address 1. Made by
/// each benchmark run and gone before the application is.
class Bench {
public:
    Bench();

    bool ready() const { return m_node != nullptr; }
    const std::string& label() const { return m_label; }
    app::NodeConfigWindow& window() { return *m_window; }

    void open() { m_window->prepare(*m_session, 1, "1 - " + QString::fromStdString(m_name)); }
    void showPage(app::NodeConfigWindow::Page page) {
        m_window->findChild<QTabWidget*>("PageControl1")->setCurrentIndex(page);
    }
    /// The PDO page's row of the first entry the standard layout places, or -1.
    int mappableRow() {
        for (const char* text : {"6000.1", "6200.1", "6401.1", "6411.1"}) {
            const int row = m_window->pdoModel().rowOf(nodeconfig::selectEntry(*m_node, text));
            if (row >= 0) {
                return row;
            }
        }
        return -1;
    }

private:
    QTemporaryDir m_dir;
    app::SettingsStore m_settings;
    app::QtDialogs m_dialogs;
    std::unique_ptr<app::AppContext> m_context;
    std::unique_ptr<editor::NetworkSession> m_session;
    std::unique_ptr<app::NodeConfigWindow> m_window;
    model::node* m_node = nullptr;
    std::string m_name;
    std::string m_label;
};

Bench::Bench() : m_settings(m_dir.filePath("settings.ini")) {
    const fs::path eds = largestEds();
    m_name = eds.filename().string();
    auto read = eds::readEdsFile(eds, m_name, 1);
    if (!read.node) {
        return;
    }
    m_label = m_name + ", " + std::to_string(read.node->objects.size()) + " entries";
    m_node = read.node.get();
    const fs::path install(BUSMASON_INSTALL_DATA);
    m_context = std::make_unique<app::AppContext>(
        translation::loadTranslationTable(install / translation::kTableFileName, 0).table, 0,
        m_settings, m_dialogs, install);
    m_session =
        std::make_unique<editor::NetworkSession>(fs::path(m_dir.path().toStdString()), "bench");
    m_session->insertNode(std::move(read.node), 1);
    m_window = std::make_unique<app::NodeConfigWindow>(*m_context);
}

void typeKey(QWidget& widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &release);
}

/// Opening the window on the node: every page filled (object tree, lists, PDO grid), then shown
/// on the given page and painted.
void openOn(benchmark::State& state, app::NodeConfigWindow::Page page) {
    Bench bench;
    if (!bench.ready()) {
        state.SkipWithError("the EDS could not be read");
        return;
    }
    state.SetLabel(bench.label());
    for (auto _ : state) {
        bench.open();
        bench.showPage(page);
        bench.window().show();
        QCoreApplication::processEvents();
        state.PauseTiming();
        bench.window().close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_NodeConfigOpen(benchmark::State& state) {
    openOn(state, app::NodeConfigWindow::AdministrationPage);
}
BENCHMARK(BM_NodeConfigOpen)->Unit(benchmark::kMillisecond);

void BM_NodeConfigOpenOnPdoPage(benchmark::State& state) {
    openOn(state, app::NodeConfigWindow::PdoPage);
}
BENCHMARK(BM_NodeConfigOpenOnPdoPage)->Unit(benchmark::kMillisecond);

/// One key typed into the name editor of the PDO page, the grid repainted: the first character
/// maps the entry, a backspace that empties the name unmaps it (argument 0), or a character
/// added to a mapped name renames it (argument 1).
void BM_PdoNameKey(benchmark::State& state) {
    Bench bench;
    if (!bench.ready()) {
        state.SkipWithError("the EDS could not be read");
        return;
    }
    bench.open();
    bench.showPage(app::NodeConfigWindow::PdoPage);
    bench.window().show();
    QCoreApplication::processEvents();
    const int row = bench.mappableRow();
    if (row < 0) {
        state.SkipWithError("the node has no entry the standard PDO layout places");
        return;
    }
    auto* grid = bench.window().findChild<QTableView*>("GridTPDO");
    const QModelIndex cell = grid->model()->index(row, app::PdoTableModel::NameColumn);
    grid->setCurrentIndex(cell); // opens the name editor, as a click on the cell does
    QLineEdit* editor = bench.window().pdoNameDelegate().openEditor();
    if (!editor) {
        state.SkipWithError("the name editor did not open");
        return;
    }
    const bool rename = state.range(0) == 1;
    editor->clear();
    if (rename) {
        typeKey(*editor, Qt::Key_A, "a");
    }
    bool grown = false;
    for (auto _ : state) {
        if (grown) {
            typeKey(*editor, Qt::Key_Backspace, {});
        } else {
            typeKey(*editor, Qt::Key_B, "b");
        }
        grown = !grown;
        QCoreApplication::processEvents();
    }
    state.SetLabel(bench.label() + (rename ? ", rename" : ", map and unmap"));
    bench.window().close();
    QCoreApplication::processEvents();
}
BENCHMARK(BM_PdoNameKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
