#pragma once

#include "plant/PlantEditor.h"

#include <QtCore/QAbstractTableModel>

#include <functional>
#include <string>

class QTableView;

namespace narv {

class UserDialogs;

// A grid of the plant editor over the core's rows: row 0 of the rows is the header, the other
// rows are the table. Edited cells go to the core's entry rule; a refused entry shows its
// message and the cell shows the stored value again.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Rows = std::function<GridRows()>;
    // row and column of the grid without its header row (so the first data row is 1).
    using Enter = std::function<PlantEntry(int row, int column, const std::string& text)>;

    GridTableModel(Rows rows, Enter enter, UserDialogs& dialogs, QObject* parent = nullptr);

    // Reads the rows again from the core.
    void reload();
    // Whether cells may be edited at all (a disabled grid shows its values only).
    void setEditable(bool editable);
    const GridRows& gridRows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A cell was accepted: the plant changed.
    void entered();

private:
    Rows m_source;
    Enter m_enter;
    UserDialogs& m_dialogs;
    GridRows m_rows;
    bool m_editable = true;
};

// A table view for a grid: "Copy Table to Clipboard" in its context menu, the accessible name
// and the object name given.
QTableView* MakeGridView(GridTableModel* model, const QString& name, QWidget* parent);

} // namespace narv
