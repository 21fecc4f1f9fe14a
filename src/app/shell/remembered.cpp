#include "app/shell/remembered.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace busmason::app {

namespace {

QString geometryKey(const QWidget& window) {
    return "window/" + window.objectName();
}

} // namespace

void restoreWindowGeometry(QWidget& window, SettingsStore& settings) {
    const QByteArray stored = settings.raw().value(geometryKey(window)).toByteArray();
    if (stored.isEmpty()) {
        return;
    }
    const QRect before = window.geometry();
    if (!window.restoreGeometry(stored)) {
        return;
    }
    // A place on a screen that is gone (a second monitor unplugged) would hide the window.
    if (!QGuiApplication::screenAt(window.geometry().center())) {
        window.setGeometry(before);
    }
}

void saveWindowGeometry(const QWidget& window, SettingsStore& settings) {
    settings.raw().setValue(geometryKey(window), window.saveGeometry());
    settings.raw().sync();
}

QString rememberedFolder(const SettingsStore& settings, const QString& purpose,
                         const QString& fallback) {
    const QString folder = settings.raw().value("folder/" + purpose).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : fallback;
}

void rememberFolderOf(SettingsStore& settings, const QString& purpose, const QString& file) {
    if (file.isEmpty()) {
        return;
    }
    settings.raw().setValue("folder/" + purpose, QFileInfo(file).absolutePath());
    settings.raw().sync();
}

} // namespace busmason::app
