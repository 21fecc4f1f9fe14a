#include "app/editor/editor_icons.h"

#include <QString>

// The resources of a static library are linked in only when initialised by name.
static void initEditorIcons() {
    Q_INIT_RESOURCE(editor_icons);
}

namespace busmason::app {

namespace {

QIcon loaded(const char* name) {
    static const bool initialised = (initEditorIcons(), true);
    (void)initialised;
    return QIcon(QString(":/editor/icons/%1.svg").arg(QLatin1String(name)));
}

} // namespace

QIcon deviceIcon(editor::DeviceKind kind) {
    static const QIcon coupler = loaded("coupler");
    static const QIcon ioModule = loaded("io_module");
    static const QIcon drive = loaded("drive");
    static const QIcon other = loaded("device");
    switch (kind) {
    case editor::DeviceKind::Coupler:
        return coupler;
    case editor::DeviceKind::IoModule:
        return ioModule;
    case editor::DeviceKind::Drive:
        return drive;
    case editor::DeviceKind::Other:
        break;
    }
    return other;
}

QIcon commandIcon(EditorCommandIcon command) {
    switch (command) {
    case EditorCommandIcon::Save:
        return loaded("save");
    case EditorCommandIcon::Transfer:
        return loaded("transfer");
    case EditorCommandIcon::Build:
        break;
    }
    return loaded("build");
}

} // namespace busmason::app
