#pragma once

#include <QListWidget>
#include <QTreeWidget>

namespace busmason::app {

/// The drag format of an EDS library entry: its file name in UTF-8.
inline constexpr const char* kEdsEntryMimeType = "application/x-busmason-eds-entry";

/// The EDS library tree: one top-level entry per library file; an entry is dragged as its
/// file name.
class LibraryTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit LibraryTree(QWidget* parent = nullptr);

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
};

/// The network list: the nodes as large icons. Library entries dropped on it are announced
/// with edsDropped; its own icons stay where the list puts them.
class NetworkList : public QListWidget {
    Q_OBJECT
public:
    explicit NetworkList(QWidget* parent = nullptr);

signals:
    /// A library entry named edsName was dropped on the list.
    void edsDropped(const QString& edsName);
    /// The Delete key was pressed in the list.
    void deleteRequested();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace busmason::app
