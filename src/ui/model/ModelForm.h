#pragma once

#include "model/ModelEditor.h"

#include <QtWidgets/QTableView>
#include <QtWidgets/QWidget>

#include <array>
#include <functional>
#include <map>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace narv {

class ModelGridModel;
class UserDialogs;

// A grid of the model editor: Enter moves down the column and on to the next one, as the
// editor's rules say, and the pop-up command "Copy Table to Clipboard" copies every cell.
class ModelGridView : public QTableView {
    Q_OBJECT
public:
    ModelGridView(ModelEditor& editor, ModelGrid grid, QWidget* parent = nullptr);

    // Takes over the text of an open cell editor.
    void commitEdit();
    void copyTable();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveAfterEnter();

    ModelEditor& m_editor;
    ModelGrid m_grid;
};

// The model editor TModelForm over the active model: eight pages, the two temperatures,
// "Labels editable" and "Close". Entries go through ModelEditor; its messages are shown with
// the injected dialogs. The kinetic-type choice opens the second-species and parameter
// dialogs through a runner that tests replace.
class ModelForm : public QWidget {
    Q_OBJECT
public:
    ModelForm(TModelDef& model, double& operatingTemperature, UserDialogs& dialogs,
              QWidget* parent = nullptr);
    ~ModelForm() override;

    ModelEditor& editor() { return m_editor; }
    QTabWidget* pages() const { return m_pages; }
    ModelGridView* gridView(ModelGrid grid) const;
    ModelGridModel* gridModel(ModelGrid grid) const;
    QLineEdit* programVersionField() const { return m_programVersion; }
    QLineEdit* modelNameField() const { return m_modelName; }
    QPlainTextEdit* remarksField() const { return m_remarks; }
    QLineEdit* countField(ModelCount count) const;
    QLineEdit* temperatureField(ModelTemperature which) const;
    QCheckBox* labelsEditableBox() const { return m_labelsEditable; }
    QPushButton* closeButton() const { return m_close; }

    // Opening: the fields and grids read the model again and page "   Info" is shown.
    void open();
    // Reads the model again without changing the page (another window changed it).
    void reload();
    void showPage(ModelPage page);
    ModelPage currentPage() const;
    // The wizard's restriction: only pages the filter allows can be chosen (nullptr: all).
    void setPageFilter(std::function<bool(ModelPage)> allowed);
    // "Labels editable" shows the editor's switch; a locked switch cannot be clicked.
    void syncLabelsEditable();

    // Commits the field or cell being edited; false after a refusal (message shown, the
    // field keeps the focus).
    bool commit();

    // The kinetic-type choice of a cell of grid 3 or 4 with its dialogs.
    void chooseKineticType(ModelGrid grid, int row, int column, int type);
    // How the two dialogs are run; QDialog::exec unless a test says otherwise.
    void setDialogRunner(std::function<int(QDialog&)> run) { m_runDialog = std::move(run); }

signals:
    // An entry changed the model.
    void modelChanged();
    // The editor was closed.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildInfoPage();
    QWidget* buildGridPage(std::initializer_list<ModelGrid> grids, const QString& heading);
    void loadInfo();
    void reloadGrids();
    void updatePages();
    bool leaveField(QObject* field);
    bool leaveCount(ModelCount count);
    bool leaveTemperature(ModelTemperature which);
    void pageChanged(int index);
    void message(const std::string& text);

    ModelEditor m_editor;
    UserDialogs& m_dialogs;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_programVersion = nullptr;
    QLineEdit* m_modelName = nullptr;
    QPlainTextEdit* m_remarks = nullptr;
    std::array<QLineEdit*, 3> m_counts{};
    std::array<QLineEdit*, 2> m_temperatures{};
    QCheckBox* m_labelsEditable = nullptr;
    QPushButton* m_close = nullptr;
    std::map<ModelGrid, ModelGridView*> m_views;
    std::map<ModelGrid, ModelGridModel*> m_models;
    std::function<bool(ModelPage)> m_pageAllowed;
    std::function<int(QDialog&)> m_runDialog;
    int m_currentPage = 0;
    bool m_checking = false;
    bool m_switchingPage = false;
};

} // namespace narv
