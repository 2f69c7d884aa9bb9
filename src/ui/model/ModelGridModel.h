#pragma once

#include "model/ModelEditor.h"

#include <QtCore/QAbstractTableModel>

#include <functional>

namespace narv {

// One grid of the model editor (StringGrid1..9) as a table: the cells are those of the
// editor, title row and column included, so the species and process names can be edited in
// place. Editing a cell goes through the editor's rules; a message it returns (a name cut to
// 14 characters) is handed to onMessage.
class ModelGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ModelGridModel(ModelEditor& editor, ModelGrid grid, QObject* parent = nullptr);

    ModelGrid grid() const { return m_grid; }
    void setMessageHandler(std::function<void(const std::string&)> onMessage)
    {
        m_onMessage = std::move(onMessage);
    }
    // The kinetic grids: choosing a type in a cell's list hands the cell and the type on.
    void setKineticHandler(std::function<void(int row, int column, int type)> onKinetic)
    {
        m_onKinetic = std::move(onKinetic);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The counts or the labels switch changed: the grid takes its new size and texts.
    void reload();
    // One cell changed others (a rate constant refreshes its row): every text again.
    void refreshTexts();

private:
    bool isTitle(const QModelIndex& index) const;

    ModelEditor& m_editor;
    ModelGrid m_grid;
    std::function<void(const std::string&)> m_onMessage;
    std::function<void(int, int, int)> m_onKinetic;
};

} // namespace narv
