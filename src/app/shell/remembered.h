#pragma once

#include "app/shell/settings_store.h"

#include <QString>

class QWidget;

namespace busmason::app {

/// Gives window the size and position it had when it was last closed ("window/<objectName>"), or
/// leaves its default size when none is stored or the stored place is on no screen.
void restoreWindowGeometry(QWidget& window, SettingsStore& settings);
/// Stores window's size and position under its objectName.
void saveWindowGeometry(const QWidget& window, SettingsStore& settings);

/// The folder last chosen in a file dialog for purpose ("folder/<purpose>"), when it still
/// exists; else fallback.
QString rememberedFolder(const SettingsStore& settings, const QString& purpose,
                         const QString& fallback);
/// Remembers the folder of file (a chosen file path) for purpose; nothing for an empty path.
void rememberFolderOf(SettingsStore& settings, const QString& purpose, const QString& file);

} // namespace busmason::app
