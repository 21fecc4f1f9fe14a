#pragma once

#include "core/nodeconfig/pdo_mapping.h"

#include <QAbstractTableModel>

#include <vector>

namespace busmason::editor {
class NetworkSession;
}

namespace busmason::app {

/// The grid of the "PDO" page: one row per entry of the node that may be mapped into a PDO (the
/// rows of nodeconfig::pdoRows). Only the "Name" cell is editable; typing into it maps, renames
/// or unmaps the entry through nodeconfig::typeRowName on the session's node.
class PdoTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        IndexColumn,
        SubIndexColumn,
        DescriptionColumn,
        PdoColumn,
        BitsColumn,
        ValueColumn,
        NameColumn,
        MapColumn,
        ColumnCount,
    };

    explicit PdoTableModel(QObject* parent = nullptr);

    /// Rebuilds the rows from the node at address of session.
    void load(editor::NetworkSession& session, int address);
    /// The node moved to address (its rows stay as they are).
    void setAddress(int address) { m_address = address; }
    /// No rows and no node.
    void clear();

    /// Puts text into the "Name" cell of row as the user typed it: maps the entry at the first
    /// character, renames it afterwards and unmaps it when text is empty, marking the session
    /// modified. A refusal (an invalid name, a full write list) is thrown and changes nothing,
    /// the row included.
    nodeconfig::MapOutcome typeName(int row, const QString& text);

    /// The row of an entry, or -1 when it is not on the page.
    int rowOf(model::EntryId entry) const;
    const nodeconfig::PdoRow& row(int row) const {
        return m_rows.at(static_cast<std::size_t>(row));
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// The "Name" cell through typeName; false when the name was refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    editor::NetworkSession* m_session = nullptr;
    int m_address = 0;
    std::vector<nodeconfig::PdoRow> m_rows;
};

} // namespace busmason::app
