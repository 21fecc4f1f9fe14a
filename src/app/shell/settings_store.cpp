#include "app/shell/settings_store.h"

#include <QFileInfo>

namespace busmason::app {

namespace {

std::unique_ptr<QSettings> openSettings() {
    const QString path = qEnvironmentVariable("BUSMASON_SETTINGS");
    if (!path.isEmpty()) {
        return std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "KOVA",
                                       "Busmason");
}

} // namespace

SettingsStore::SettingsStore() : m_settings(openSettings()) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

std::optional<QString> SettingsStore::read(const QString& name) const {
    if (!m_settings->contains(name)) {
        return std::nullopt;
    }
    return m_settings->value(name).toString();
}

void SettingsStore::write(const QString& name, const QString& value) {
    m_settings->setValue(name, value);
    m_settings->sync();
}

bool SettingsStore::writable() const {
    return m_settings->isWritable();
}

QString SettingsStore::fileName() const {
    return m_settings->fileName();
}

} // namespace busmason::app
