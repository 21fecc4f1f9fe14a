#include "app/editor/editor_views.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace busmason::app {

LibraryTree::LibraryTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setIconSize(QSize(24, 24));
}

QStringList LibraryTree::mimeTypes() const {
    return {QString::fromLatin1(kEdsEntryMimeType)};
}

QMimeData* LibraryTree::mimeData(const QList<QTreeWidgetItem*>& items) const {
    if (items.isEmpty()) {
        return nullptr;
    }
    auto* data = new QMimeData;
    const QString name = items.front()->text(0);
    data->setData(QString::fromLatin1(kEdsEntryMimeType), name.toUtf8());
    data->setText(name);
    return data;
}

NetworkList::NetworkList(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    setWordWrap(true);
    setIconSize(QSize(48, 48));
    // Room for a caption of two lines ("12-" and the EDS name) under each icon.
    setGridSize(QSize(150, 100));
    setTextElideMode(Qt::ElideMiddle);
    setSpacing(4);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

namespace {

/// Takes a drag that carries a library entry, and nothing else.
void acceptEntries(QDropEvent* event) {
    if (event->mimeData()->hasFormat(QString::fromLatin1(kEdsEntryMimeType))) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

} // namespace

void NetworkList::dragEnterEvent(QDragEnterEvent* event) {
    acceptEntries(event);
}

void NetworkList::dragMoveEvent(QDragMoveEvent* event) {
    acceptEntries(event);
}

void NetworkList::dropEvent(QDropEvent* event) {
    const QByteArray name = event->mimeData()->data(QString::fromLatin1(kEdsEntryMimeType));
    if (name.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit edsDropped(QString::fromUtf8(name));
}

} // namespace busmason::app

namespace busmason::app {

void NetworkList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Delete) {
        emit deleteRequested();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace busmason::app
