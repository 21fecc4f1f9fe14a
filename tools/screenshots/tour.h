#pragma once

#include "app/shell/app_context.h"

#include <QString>

#include <filesystem>
#include <functional>

class QWidget;

namespace busmason::tools {

/// What a screenshot step works with: the program's services on a temporary settings file, the
/// copy of the demo workspace the pictures show, and where the pictures go.
struct Tour {
    app::AppContext& context;
    /// The copy of the demo workspace ("plant1/plant1.bsm" inside).
    std::filesystem::path workspace;
    std::filesystem::path outDir;
    /// The loopback FTP server the transfer picture sends to: its port, or 0 when none runs.
    int ftpPort = 0;

    /// The demo project file of the workspace copy.
    std::filesystem::path demoProject() const { return workspace / "plant1" / "plant1.bsm"; }
    /// Shows widget, lets it lay itself out and paint, and writes its picture as outDir/fileName.
    /// Fails the tour (exit status 1) when the picture cannot be written.
    void save(QWidget& widget, const QString& fileName);
    /// Lets pending events (layout, paint, queued signals) run for about ms milliseconds.
    void settle(int ms = 50);
};

/// A step of the tour: takes one or more pictures. Steps run in order of their rank.
using TourStep = std::function<void(Tour&)>;

/// Registers a step at static initialisation; rooms register theirs in their own file.
struct TourStepRegistrar {
    TourStepRegistrar(int rank, const char* name, TourStep step);
};

} // namespace busmason::tools

#define BUSMASON_TOUR_CONCAT2(a, b) a##b
#define BUSMASON_TOUR_CONCAT(a, b) BUSMASON_TOUR_CONCAT2(a, b)
/// BUSMASON_TOUR_STEP(20, "editor") { ... tour.save(window, "editor-network.png"); }
#define BUSMASON_TOUR_STEP(rank, name)                                                             \
    static void BUSMASON_TOUR_CONCAT(tourStep, __LINE__)(::busmason::tools::Tour & tour);          \
    static const ::busmason::tools::TourStepRegistrar BUSMASON_TOUR_CONCAT(                        \
        tourRegistrar, __LINE__)(rank, name, &BUSMASON_TOUR_CONCAT(tourStep, __LINE__));           \
    static void BUSMASON_TOUR_CONCAT(tourStep, __LINE__)(::busmason::tools::Tour & tour)
