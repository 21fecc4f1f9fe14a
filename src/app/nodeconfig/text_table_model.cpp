#include "app/nodeconfig/text_table_model.h"

namespace busmason::app {

TextTableModel::TextTableModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)) {}

void TextTableModel::setRows(std::vector<QStringList> rows, QStringList rowHeaders) {
    beginResetModel();
    m_rows = std::move(rows);
    m_rowHeaders = std::move(rowHeaders);
    endResetModel();
}

void TextTableModel::clear() {
    setRows({});
}

QString TextTableModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(row)].value(column);
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return text(index.row(), index.column());
    }
    return {};
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return m_headers.value(section);
    }
    if (section < 0 || section >= rowCount()) {
        return {};
    }
    return section < m_rowHeaders.size() ? m_rowHeaders[section] : QString::number(section + 1);
}

} // namespace busmason::app
