#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>

namespace busmason::app {

/// Shows on a text box whether its text was refused: with a reason, a red frame and the reason
/// as tooltip (shown at once) and accessible description; with an empty reason, the box as usual.
void showRefusal(QLineEdit& box, const QString& reason);

/// The name editor over the "Name" cell of the PDO page. Every change of its text is applied at
/// once (so a name maps at its first character, renames afterwards and unmaps when erased); a
/// text that is refused is not stored and the editor shows why: a red frame and the reason as
/// its tooltip. Closing the editor stores nothing more, so whatever closes it (Enter, Escape,
/// another cell, the window) leaves the entry as the last accepted text made it.
class PdoNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    /// Applies text to the cell of index; returns why it was refused, or an empty text.
    using TypeName = std::function<QString(const QModelIndex& index, const QString& text)>;

    explicit PdoNameDelegate(TypeName typeName, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

    /// The open name editor, or null.
    QLineEdit* openEditor() const { return m_editor; }
    /// Closes the open name editor, if any.
    void finishEditing();

    /// Name of the dynamic property that is true on an editor whose text was refused.
    static constexpr const char* kRefusedProperty = "refused";

private:
    TypeName m_typeName;
    mutable QPointer<QLineEdit> m_editor;
};

} // namespace busmason::app
