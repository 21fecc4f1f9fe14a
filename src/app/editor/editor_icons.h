#pragma once

#include "core/editor/overview.h"

#include <QIcon>

namespace busmason::app {

/// The picture of a kind of device, for the library entries and the network list.
QIcon deviceIcon(editor::DeviceKind kind);

/// The toolbar's pictures.
enum class EditorCommandIcon { Save, Transfer, Build };
QIcon commandIcon(EditorCommandIcon command);

} // namespace busmason::app
