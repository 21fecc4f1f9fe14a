#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace busmason::app {

/// Names of the stored settings.
namespace setting {
inline constexpr const char* kLang = "LANG";
inline constexpr const char* kTemplate = "TEMPLATE";
inline constexpr const char* kEds = "EDS";
inline constexpr const char* kCan = "CAN";
inline constexpr const char* kProjectFolder = "CANPRJDIR";
inline constexpr const char* kProjectName = "CANPRJNAME";
inline constexpr const char* kIpAddress = "IPADDR";
} // namespace setting

/// The program's settings: text values in one INI file, organisation "KOVA", application
/// "Busmason". The environment variable BUSMASON_SETTINGS names another file (tests use it).
class SettingsStore {
public:
    /// The settings file of BUSMASON_SETTINGS, or the user's "KOVA/Busmason" INI file.
    SettingsStore();
    /// The settings file at iniPath.
    explicit SettingsStore(const QString& iniPath);

    /// The value name holds, or none when it is absent.
    std::optional<QString> read(const QString& name) const;
    /// Stores value under name at once.
    void write(const QString& name, const QString& value);
    /// True when the store can be written (the file's folder exists or can be made and the file
    /// is writable).
    bool writable() const;
    /// The file the settings live in.
    QString fileName() const;

    /// Other values the program keeps (window geometry, remembered folders).
    QSettings& raw() { return *m_settings; }
    const QSettings& raw() const { return *m_settings; }

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace busmason::app
