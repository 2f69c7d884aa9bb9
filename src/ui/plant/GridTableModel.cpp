#include "ui/plant/GridTableModel.h"

#include "shell/UserDialogs.h"

#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtGui/QFont>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableView>

#include <utility>

namespace narv {

GridTableModel::GridTableModel(Rows rows, Enter enter, UserDialogs& dialogs, QObject* parent)
    : QAbstractTableModel(parent), m_source(std::move(rows)), m_enter(std::move(enter)),
      m_dialogs(dialogs)
{
    m_rows = m_source();
}

void GridTableModel::reload()
{
    beginResetModel();
    m_rows = m_source();
    endResetModel();
}

void GridTableModel::setEditable(bool editable)
{
    if (m_editable == editable)
        return;
    m_editable = editable;
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_rows.empty() ? 0 : static_cast<int>(m_rows.size()) - 1;
}

int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || m_rows.empty() ? 0 : static_cast<int>(m_rows.front().size());
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const auto& row = m_rows[static_cast<std::size_t>(index.row()) + 1];
    if (static_cast<std::size_t>(index.column()) >= row.size())
        return {};
    const GridCell& cell = row[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return QString::fromStdString(cell.text);
    case Qt::EditRole:
        return QString::fromStdString(cell.text).trimmed();
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::FontRole:
        if (index.column() == 0) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant GridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (m_rows.empty() || static_cast<std::size_t>(section) >= m_rows.front().size())
        return {};
    return QString::fromStdString(m_rows.front()[static_cast<std::size_t>(section)].text);
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid())
        return flags;
    const auto& row = m_rows[static_cast<std::size_t>(index.row()) + 1];
    const std::size_t column = static_cast<std::size_t>(index.column());
    if (m_editable && column < row.size() && row[column].editable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool GridTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const PlantEntry entry = m_enter(index.row() + 1, index.column(), value.toString().toStdString());
    if (!entry.message.empty())
        m_dialogs.showMessage(entry.message);
    // The entry may have changed other cells of the row (setpoint and kla exclude each other).
    m_rows = m_source();
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
    if (entry.accepted)
        emit entered();
    return entry.accepted;
}

QTableView* MakeGridView(GridTableModel* model, const QString& name, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setAccessibleName(name);
    view->setModel(model);
    view->verticalHeader()->hide();
    view->verticalHeader()->setAccessibleName(name + QStringLiteral(" rows"));
    view->horizontalHeader()->setAccessibleName(name + QStringLiteral(" columns"));
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (QAbstractButton* corner : view->findChildren<QAbstractButton*>())
        corner->setAccessibleName(name + QStringLiteral(" select all"));
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QObject::tr("Copy Table to Clipboard"), view);
    copy->setObjectName(name + QStringLiteral("Copy"));
    QObject::connect(copy, &QAction::triggered, view, [model] {
        QGuiApplication::clipboard()->setText(
            QString::fromStdString(PlantEditor::TableText(model->gridRows())));
    });
    view->addAction(copy);
    return view;
}

} // namespace narv
