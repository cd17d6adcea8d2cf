#pragma once

#include "nctools/program_index.h"

#include <QAbstractListModel>

// Shows a ProgramIndex in the program-number list without copying it into
// items, so an index of many programs costs nothing to refresh.
class ProgramIndexModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ProgramIndexModel(ProgramIndex& index, QObject* parent = nullptr)
        : QAbstractListModel(parent), m_index(index)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_index.size();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_index.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return m_index.at(index.row()).display();
        if (role == Qt::UserRole)
            return m_index.at(index.row()).line;
        return {};
    }

    // Wrap every change of the index in these.
    void beginChange() { beginResetModel(); }
    void endChange() { endResetModel(); }

private:
    ProgramIndex& m_index;
};
