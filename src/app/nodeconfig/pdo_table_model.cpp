#include "app/nodeconfig/pdo_table_model.h"

#include "core/editor/network_session.h"

#include <stdexcept>

namespace busmason::app {

PdoTableModel::PdoTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void PdoTableModel::load(editor::NetworkSession& session, int address) {
    beginResetModel();
    m_session = &session;
    m_address = address;
    m_rows = nodeconfig::pdoRows(session.nodeAt(address));
    endResetModel();
}

void PdoTableModel::clear() {
    beginResetModel();
    m_session = nullptr;
    m_address = 0;
    m_rows.clear();
    endResetModel();
}

nodeconfig::MapOutcome PdoTableModel::typeName(int row, const QString& text) {
    if (!m_session || row < 0 || row >= rowCount()) {
        throw std::out_of_range("no PDO page row " + std::to_string(row));
    }
    nodeconfig::PdoRow& r = m_rows[static_cast<std::size_t>(row)];
    const std::string name = text.toStdString();
    const nodeconfig::MapOutcome outcome = m_session->editNode(
        m_address, [&](model::node& n) { return nodeconfig::typeRowName(n, r, name); });
    // The whole row: "PDO", "Name" and "Map" change together. A range of cells also keeps the
    // view from writing the model back into an open name editor.
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    return outcome;
}

int PdoTableModel::rowOf(model::EntryId entry) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].entry == entry) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int PdoTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PdoTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PdoTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const nodeconfig::PdoRow& r = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == PdoColumn || index.column() == BitsColumn;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole) {
        return {};
    }
    switch (index.column()) {
    case IndexColumn:
        return QString::fromStdString(r.index);
    case SubIndexColumn:
        return QString::fromStdString(r.subIndex);
    case DescriptionColumn:
        return QString::fromStdString(r.description);
    case PdoColumn:
        return QString::number(r.pdo);
    case BitsColumn:
        return QString::number(r.bits);
    case ValueColumn:
        return QString::fromStdString(r.value);
    case NameColumn:
        return QString::fromStdString(r.name);
    case MapColumn:
        return QString::fromStdString(r.mapText());
    default:
        return {};
    }
}

QVariant PdoTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section >= 0 && section < rowCount() ? QVariant(section + 1) : QVariant();
    }
    static const char* const headers[ColumnCount] = {"Index", "SubIndex", "Description", "PDO",
                                                     "BITs",  "Value",    "Name",        "Map"};
    return section >= 0 && section < ColumnCount ? QVariant(QString(headers[section])) : QVariant();
}

Qt::ItemFlags PdoTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == NameColumn ? f | Qt::ItemIsEditable : f;
}

bool PdoTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() != NameColumn) {
        return false;
    }
    try {
        typeName(index.row(), value.toString());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace busmason::app
