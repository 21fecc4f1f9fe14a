#pragma once

#include "core/editor/overview.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

namespace busmason::app {

/// A read-only overview of rows the core computes: replaced whole in one reset, never edited.
/// The first, fixed column of each row (the write number, the node address) is its row header.
template <class Row> class OverviewModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : columns();
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!checkIndex(index,
                        CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
            (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
            return {};
        }
        return cell(m_rows[static_cast<std::size_t>(index.row())], index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override {
        if (role != Qt::DisplayRole) {
            return {};
        }
        if (orientation == Qt::Horizontal) {
            return section >= 0 && section < columns() ? QVariant(columnHeader(section))
                                                       : QVariant();
        }
        return section >= 0 && section < rowCount()
                   ? QVariant(rowHeader(m_rows[static_cast<std::size_t>(section)]))
                   : QVariant();
    }

    const std::vector<Row>& rows() const { return m_rows; }

protected:
    /// Replaces every row in one reset.
    void replace(std::vector<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

private:
    virtual int columns() const = 0;
    virtual QString columnHeader(int column) const = 0;
    virtual QString rowHeader(const Row& row) const = 0;
    virtual QString cell(const Row& row, int column) const = 0;

    std::vector<Row> m_rows;
};

/// Every start-up write of the network; the row header is the write's number within its node.
class ParameterGridModel : public OverviewModel<editor::ParameterGridRow> {
public:
    enum Column { Name, Object, Value, ColumnCount };
    using OverviewModel::OverviewModel;

    void rebuild(const model::Network& net) { replace(editor::parameterGridRows(net)); }

private:
    int columns() const override { return ColumnCount; }
    QString columnHeader(int column) const override;
    QString rowHeader(const editor::ParameterGridRow& row) const override;
    QString cell(const editor::ParameterGridRow& row, int column) const override;
};

/// Every PLC variable of the network; the row header is the node's address.
class VariableGridModel : public OverviewModel<editor::VariableGridRow> {
public:
    enum Column { Name, Object, Type, Access, ColumnCount };
    using OverviewModel::OverviewModel;

    void rebuild(const model::Network& net) { replace(editor::variableGridRows(net)); }

private:
    int columns() const override { return ColumnCount; }
    QString columnHeader(int column) const override;
    QString rowHeader(const editor::VariableGridRow& row) const override;
    QString cell(const editor::VariableGridRow& row, int column) const override;
};

} // namespace busmason::app
