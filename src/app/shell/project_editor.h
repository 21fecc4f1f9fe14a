#pragma once

namespace busmason::app {

/// The window the start window opens on a project: the network editor. It reads the project
/// name, folders and mode from the shared state and returns when the user has left it.
class ProjectEditor {
public:
    virtual ~ProjectEditor() = default;
    /// Opens the editor modally on the project of the shared state (creating mode when
    /// newProject is set, else opening mode). True when the user left it with File "<EXIT>".
    virtual bool openProject() = 0;
};

} // namespace busmason::app
