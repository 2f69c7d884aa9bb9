#include "ui/model/ModelGridModel.h"

#include <QtGui/QBrush>
#include <QtGui/QFont>
#include <QtGui/QFontDatabase>
#include <QtGui/QPalette>
#include <QtWidgets/QApplication>

namespace narv {

ModelGridModel::ModelGridModel(ModelEditor& editor, ModelGrid grid, QObject* parent)
    : QAbstractTableModel(parent), m_editor(editor), m_grid(grid)
{
}

int ModelGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_editor.rowCount(m_grid);
}

int ModelGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_editor.columnCount(m_grid);
}

bool ModelGridModel::isTitle(const QModelIndex& index) const
{
    return index.row() == 0 || index.column() == 0;
}

QVariant ModelGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool kinetic =
        m_grid == ModelGrid::KineticsDissolved || m_grid == ModelGrid::KineticsParticulate;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (role == Qt::EditRole && kinetic && !isTitle(index))
            return m_editor.kineticType(m_grid, index.row(), index.column());
        return QString::fromStdString(m_editor.cellText(m_grid, index.row(), index.column()));
    case Qt::BackgroundRole:
        // The title row and column look like the fixed cells of a grid, editable or not.
        if (isTitle(index))
            return QApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::TextAlignmentRole:
        if (isTitle(index) || kinetic)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::FontRole:
        if (!isTitle(index) && !kinetic) {
            // Numbers line up on their decimal points in a fixed-pitch font.
            QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            return font;
        }
        return {};
    default:
        return {};
    }
}

bool ModelGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const bool kinetic =
        m_grid == ModelGrid::KineticsDissolved || m_grid == ModelGrid::KineticsParticulate;
    if (kinetic && !isTitle(index)) {
        if (m_onKinetic)
            m_onKinetic(index.row(), index.column(), value.toInt());
        return true;
    }
    const ModelEntry entry =
        m_editor.enterCell(m_grid, index.row(), index.column(), value.toString().toStdString());
    refreshTexts();
    if (!entry.message.empty() && m_onMessage)
        m_onMessage(entry.message);
    return entry.accepted;
}

Qt::ItemFlags ModelGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (!m_editor.gridEnabled(m_grid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editor.cellEditable(m_grid, index.row(), index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

void ModelGridModel::reload()
{
    beginResetModel();
    endResetModel();
}

void ModelGridModel::refreshTexts()
{
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
}

} // namespace narv
