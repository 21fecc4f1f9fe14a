#include "tour.h"

#include "app/coupler/coupler_window.h"
#include "app/coupler/terminal_settings_window.h"
#include "app/transfer/transfer_window.h"

#include "core/persistence/project_io.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <cstdio>
#include <optional>

namespace {

using namespace busmason;

/// The demo project as the editor holds it, or none (reported) when it does not load.
std::optional<editor::NetworkSession> demoSession(tools::Tour& tour) {
    persistence::LoadResult loaded =
        persistence::loadProject(tour.demoProject(), tour.context.installFolder() / "eds");
    if (!loaded.session) {
        std::fprintf(stderr, "screenshots: the demo project does not load\n");
    }
    return std::move(loaded.session);
}

/// The demo's coupler.
constexpr int kCoupler = 1;

} // namespace

BUSMASON_TOUR_STEP(60, "coupler and terminal settings") {
    std::optional<editor::NetworkSession> session = demoSession(tour);
    if (!session) {
        return;
    }
    app::TerminalSettingsWindow settings(tour.context);
    app::CouplerWindow window(tour.context, settings);
    window.prepare(*session, kCoupler);
    window.findChild<QListWidget*>("ListView1")->setCurrentRow(2);
    tour.save(window, "coupler.png");
    window.hide();

    // The demo's analogue input terminal.
    const auto& row = session->coupler(kCoupler).row();
    for (const model::terminal& t : row) {
        if (t.ID == 4) {
            settings.prepare(t);
            tour.save(settings, "terminal-settings.png");
            settings.hide();
            break;
        }
    }
    window.closeConfiguration();
}

BUSMASON_TOUR_STEP(80, "transfer") {
    std::optional<editor::NetworkSession> session = demoSession(tour);
    if (!session) {
        return;
    }
    app::TransferWindow window(tour.context);
    window.prepare(*session);
    if (tour.ftpPort > 0) {
        const char* parts[] = {"127", "0", "0", "1"};
        for (int i = 0; i < 4; ++i) {
            window.findChild<QLineEdit*>("Edit" + QString::number(i + 2))->setText(parts[i]);
        }
        window.setPort(tour.ftpPort);
        window.show();
        window.findChild<QPushButton*>("Button3")->click();
        QDeadlineTimer deadline(20000);
        while (!(window.status() && transfer::isFinal(*window.status())) &&
               !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        if (window.status() != transfer::TransferStatus::Done) {
            std::fprintf(stderr, "screenshots: the transfer to the loopback server did not end "
                                 "in success\n");
        }
    }
    tour.save(window, "transfer.png");
}
