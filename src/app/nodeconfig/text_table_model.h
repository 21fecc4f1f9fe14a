#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace busmason::app {

/// A read-only table of texts: the rows a core function gave, shown as they are. Used for the
/// node configuration's name/value lists, its start-up write list and its variable list. The
/// rows are replaced as a whole (one reset), never edited in place.
class TextTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// headers are the column captions; their number is the column count.
    explicit TextTableModel(QStringList headers, QObject* parent = nullptr);

    /// Replaces every row; each row holds one text per column (missing texts show empty).
    /// rowHeaders, when given, label the rows (one per row); else rows are numbered from 1.
    void setRows(std::vector<QStringList> rows, QStringList rowHeaders = {});
    void clear();

    /// The text of row and column, or empty outside the table.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_headers;
    std::vector<QStringList> m_rows;
    QStringList m_rowHeaders;
};

} // namespace busmason::app
