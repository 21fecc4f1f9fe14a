#include "app/nodeconfig/pdo_name_delegate.h"

#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QToolTip>

namespace busmason::app {

PdoNameDelegate::PdoNameDelegate(TypeName typeName, QObject* parent)
    : QStyledItemDelegate(parent), m_typeName(std::move(typeName)) {}

QWidget* PdoNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName("pdoNameEditor");
    editor->setAccessibleName(index.model()->headerData(index.column(), Qt::Horizontal).toString());
    editor->setFrame(true);
    const QPersistentModelIndex cell(index);
    connect(editor, &QLineEdit::textEdited, editor, [this, editor, cell](const QString& text) {
        if (cell.isValid()) {
            showRefusal(*editor, m_typeName(cell, text));
        }
    });
    m_editor = editor;
    return editor;
}

void PdoNameDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    // Only when the editor opens: while typing, a refused text stays in the editor to be mended.
    if (line->text() != text && !line->property(kRefusedProperty).toBool()) {
        line->setText(text);
    }
}

void PdoNameDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {
    // Every accepted text was applied as it was typed; a refused one is never stored.
}

void PdoNameDelegate::finishEditing() {
    if (QLineEdit* editor = m_editor) {
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void showRefusal(QLineEdit& box, const QString& reason) {
    const bool refused = !reason.isEmpty();
    if (!refused && !box.property(PdoNameDelegate::kRefusedProperty).toBool()) {
        return;
    }
    box.setProperty(PdoNameDelegate::kRefusedProperty, refused);
    box.setStyleSheet(refused ? "QLineEdit { border: 2px solid #c00000; }" : QString());
    box.setToolTip(reason);
    box.setAccessibleDescription(reason);
    if (refused) {
        QToolTip::showText(box.mapToGlobal(QPoint(0, box.height())), reason, &box);
    } else {
        QToolTip::hideText();
    }
}

} // namespace busmason::app
