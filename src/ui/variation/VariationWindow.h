#pragma once

#include "dynamics/VariationEditor.h"
#include "shell/UserDialogs.h"
#include "shell/Workspace.h"
#include "special/AIEditor.h"

#include <QtWidgets/QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableView;

namespace narv {

class AverageGridModel;
class LaneGridModel;
class StepGridModel;

// What the variation window needs of the program around it.
class VariationWindowHost {
public:
    virtual ~VariationWindowHost() = default;
    virtual Workspace& workspace() = 0;
    virtual UserDialogs& dialogs() = 0;
    // An edit made the variation unsaved.
    virtual void variationModified() = 0;
    // A line for the program's event list.
    virtual void addEvent(const std::string& line) = 0;
    // The plant editor's reactor labels (empty: the default labels).
    virtual std::vector<std::string> reactorLabels() = 0;
    // The text on the clipboard, and a text to put there.
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

// "Variation" (TFormVariation), for an A/I plant "Variation AI" (TFormVariationAI) with the
// page "lane": the active variation's cycle, its relative step values with their averages
// rows, and the lane fed per step. It works on a working copy that is written back after every
// edit and when the window is left, and taken afresh whenever the window is activated.
class VariationWindow : public QWidget {
    Q_OBJECT
public:
    VariationWindow(VariationWindowHost& host, QWidget* parent = nullptr);
    ~VariationWindow() override;

    // Opening: a fresh working copy of the active variation, the caption and pages of the
    // plant's type, and the page to show (Options, or the previously active page).
    void open(bool optionsPage);
    // The working copy back into the variation (also when the window is deactivated).
    void writeBack();

    VariationEditor* editor() { return m_editor.get(); }
    // Nothing can be edited while a computation runs on the variation.
    bool readOnly() { return m_host.workspace().runLasts; }
    LanePageEditor* laneEditor() { return m_lanes.get(); }
    QTabWidget* pages() const { return m_pages; }
    QTableView* stepGrid(VariationGrid grid) const;
    QTableView* averageGrid(VariationGrid grid) const;
    QTableView* laneGrid() const { return m_laneGrid; }

    // "Copy from Column" for the title of column of grid: the user's choice of source.
    // Tests replace the chooser; the window asks with a list dialog.
    using SourceChooser = std::function<int(const std::vector<CopySource>& sources)>;
    void setSourceChooser(SourceChooser chooser) { m_chooseSource = std::move(chooser); }
    void copyFromColumn(VariationGrid grid, int column);

    // The lane page's context menu.
    void changeLaneSelection(int lane);
    void copyLanes();
    void pasteLanes();

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildOptionsPage();
    QWidget* buildGridPage(VariationGrid grid);
    QWidget* buildLanePage();
    void showOptions();
    // After an edit: the models show the working copy again, edit events go to the list.
    void edited();
    void refreshGrids();
    void rebuildEditor();
    void showEntry(const VariationEntry& entry);

    VariationWindowHost& m_host;
    std::unique_ptr<VariationEditor> m_editor;
    std::unique_ptr<LanePageEditor> m_lanes;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_cycleHours = nullptr;
    QComboBox* m_points = nullptr;
    QCheckBox* m_varyConc2 = nullptr;
    std::array<QTableView*, 5> m_stepGrids{};
    std::array<QTableView*, 5> m_averageGrids{};
    std::array<StepGridModel*, 5> m_stepModels{};
    std::array<AverageGridModel*, 5> m_averageModels{};
    QWidget* m_lanePage = nullptr;
    QTableView* m_laneGrid = nullptr;
    LaneGridModel* m_laneModel = nullptr;
    SourceChooser m_chooseSource;
    bool m_filling = false;
};

} // namespace narv
