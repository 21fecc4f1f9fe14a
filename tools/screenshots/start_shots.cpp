#include "tour.h"

#include <QMainWindow>

// Replaced by the start window's own steps once it exists.
BUSMASON_TOUR_STEP(10, "start window") {
    QMainWindow window;
    window.setWindowTitle("KOVA Busmason rev 1.03");
    window.resize(640, 400);
    tour.save(window, "start.png");
}
