#pragma once

#include <QString>

class QWidget;

namespace busmason::editor {
class NetworkSession;
}

namespace busmason::app {

class ProjectEditor;

/// The node configuration window, as the network editor opens it.
class NodeConfigurator {
public:
    virtual ~NodeConfigurator() = default;
    /// Shows the configuration of the node at address of session modally, captioned caption (the
    /// network list entry's caption). Every change goes to session at once, marking it modified;
    /// the node may leave with another address (session.moveNode), its list entry relabelled.
    virtual void configureNode(QWidget* parent, editor::NetworkSession& session, int address,
                               const QString& caption) = 0;
};

/// The coupler configuration window, as the network editor opens it.
class CouplerConfigurator {
public:
    virtual ~CouplerConfigurator() = default;
    /// Shows the terminal row of the coupler at address of session modally and closes its
    /// configuration (session.closeCoupler) when the window closes.
    virtual void configureCoupler(QWidget* parent, editor::NetworkSession& session,
                                  int address) = 0;
};

/// The transfer window, as the network editor opens it after filling the shared state's
/// upload record.
class ProjectTransfer {
public:
    virtual ~ProjectTransfer() = default;
    /// Shows the transfer window modally for the controller files of session's project folder and
    /// the upload record's CAN channel.
    virtual void transferProject(QWidget* parent, const editor::NetworkSession& session) = 0;
};

/// The network check window, as the network editor opens it.
class NetworkCheckView {
public:
    virtual ~NetworkCheckView() = default;
    /// Shows the findings of the network check of session modally; a finding may open its node's
    /// configuration.
    virtual void showCheck(QWidget* parent, editor::NetworkSession& session) = 0;
};

/// The windows created once at start-up that other windows open. A window not built yet is
/// null; the caller then says so instead of opening it.
struct AppWindows {
    ProjectEditor* editor = nullptr;
    NodeConfigurator* nodeConfig = nullptr;
    CouplerConfigurator* coupler = nullptr;
    ProjectTransfer* transfer = nullptr;
    NetworkCheckView* check = nullptr;
};

} // namespace busmason::app
