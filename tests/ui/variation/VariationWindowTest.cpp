#include "RecordingDialogs.h"

#include "shell/CaseFiles.h"
#include "ui/variation/VariationWindow.h"

#include <QtGui/QAccessible>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTableView>

#include <filesystem>
#include <memory>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

// An example project in a workspace of its own; what the window tells the program is recorded.
class RecordingHost : public VariationWindowHost {
public:
    explicit RecordingHost(const std::string& project)
    {
        const fs::path dir = fs::path(NARV_SOURCE_DIR) / "examples" / project;
        LoadCase(*m_workspace, {dir / (project + ".mod"), dir / (project + ".pln"),
                                dir / (project + ".vrt")});
    }
    Workspace& workspace() override { return *m_workspace; }
    UserDialogs& dialogs() override { return recorded; }
    void variationModified() override { ++modified; }
    void addEvent(const std::string& line) override { events.push_back(line); }
    std::vector<std::string> reactorLabels() override { return labels; }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override { clipboard = text; }

    RecordingDialogs recorded;
    std::vector<std::string> labels; // what the plant's editor calls its reactors
    int modified = 0;
    std::vector<std::string> events;
    std::string clipboard;

private:
    std::unique_ptr<Workspace> m_workspace = std::make_unique<Workspace>();
};

bool edit(QTableView* grid, int row, int column, const QString& text)
{
    return grid->model()->setData(grid->model()->index(row, column), text, Qt::EditRole);
}

QString cell(QTableView* grid, int row, int column)
{
    return grid->model()->data(grid->model()->index(row, column), Qt::DisplayRole).toString();
}

} // namespace

class VariationWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithItsPagesGridsAndNames();
    void cellAndAverageEditsFollowTheRules();
    void copyFromColumnAndFromTheClipboard();
    void leavingTheWindowWritesTheVariationBack();
    void anAIPlantHasTheLanePage();
};

void VariationWindowTest::opensWithItsPagesGridsAndNames()
{
    RecordingHost host("asm1-benchmark");
    host.labels = {"first", "second"};
    VariationWindow window(host);
    window.open(true);
    window.show();
    QCOMPARE(window.windowTitle(), QString("Variation"));
    QStringList pages;
    for (int i = 0; i < window.pages()->count(); ++i)
        pages << window.pages()->tabText(i);
    QCOMPARE(pages, (QStringList{"Options", "Inflows", "dissolved species", "particulate species",
                                 "Kla values", "temperature"}));
    QCOMPARE(window.pages()->currentIndex(), 0);
    const TVariationDef& variation = host.workspace().variation;
    QCOMPARE(window.findChild<QLineEdit*>("ed_ttgl")->text().trimmed(),
             QString::number(variation.CycleDuration * 24, 'f', 3));
    QCOMPARE(window.findChild<QComboBox*>("cb_punkte")->currentText().toInt(),
             variation.PointCount);
    for (const char* name : {"sg_inflows", "sg_diss", "sg_part", "sg_kla", "sg_temperature",
                             "sg_avg_inflows", "sg_avg_diss", "sg_avg_part", "sg_avg_kla",
                             "sg_avg_temperature", "ckb_VaryConc2"})
        QVERIFY2(window.findChild<QWidget*>(name) != nullptr, name);
    QTableView* inflows = window.stepGrid(VariationGrid::Inflows);
    QCOMPARE(inflows->model()->rowCount(), variation.PointCount);
    QCOMPARE(inflows->model()->columnCount(), 5);
    QCOMPARE(inflows->model()->headerData(0, Qt::Horizontal).toString(), QString("1.influent"));
    QCOMPARE(inflows->model()->headerData(0, Qt::Vertical).toString(),
             QString::fromStdString(window.editor()->rowLabel(1)));
    QTableView* averages = window.averageGrid(VariationGrid::Dissolved);
    QCOMPARE(averages->model()->headerData(3, Qt::Vertical).toString(), QString("Load"));
    QCOMPARE(window.averageGrid(VariationGrid::Temperature)->model()->rowCount(), 1);
    // The kla columns are headed with the labels the host passes on.
    QAbstractItemModel* kla = window.stepGrid(VariationGrid::Kla)->model();
    QCOMPARE(kla->headerData(0, Qt::Horizontal).toString(), QString("first"));
    QCOMPARE(kla->headerData(1, Qt::Horizontal).toString(), QString("second"));
    // Every upper grid's corner cell reads "time step", over row labels at least as wide.
    for (VariationGrid grid : {VariationGrid::Inflows, VariationGrid::Dissolved,
                               VariationGrid::Particulate, VariationGrid::Kla,
                               VariationGrid::Temperature}) {
        QTableView* steps = window.stepGrid(grid);
        QAbstractButton* corner = nullptr;
        for (QAbstractButton* button : steps->findChildren<QAbstractButton*>())
            if (qstrcmp(button->metaObject()->className(), "QTableCornerButton") == 0)
                corner = button;
        QVERIFY(corner != nullptr);
        QCOMPARE(corner->text(), QString("time step"));
        QVERIFY(steps->verticalHeader()->minimumWidth() >=
                steps->fontMetrics().horizontalAdvance("time step"));
    }

    for (int i = 0; i < window.pages()->count(); ++i) {
        window.pages()->setCurrentIndex(i);
        for (QWidget* control : window.findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                     qobject_cast<QLineEdit*>(control) != nullptr ||
                                     qobject_cast<QComboBox*>(control) != nullptr ||
                                     qobject_cast<QTableView*>(control) != nullptr;
            if (!interactive || !control->isVisibleTo(&window))
                continue;
            QVERIFY2(!QAccessible::queryAccessibleInterface(control)
                          ->text(QAccessible::Name)
                          .trimmed()
                          .isEmpty(),
                     qPrintable(QString(control->metaObject()->className()) + " " +
                                control->objectName()));
        }
    }
}

void VariationWindowTest::cellAndAverageEditsFollowTheRules()
{
    RecordingHost host("asm1-benchmark");
    host.workspace().variation.PointCount = 3;
    VariationWindow window(host);
    window.open(true);
    QTableView* inflows = window.stepGrid(VariationGrid::Inflows);
    QTableView* averages = window.averageGrid(VariationGrid::Inflows);
    QCOMPARE(inflows->model()->rowCount(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(edit(inflows, i, 1, QString::number(i + 1)));
    QCOMPARE(cell(averages, 1, 1).trimmed(), QString("2.000"));
    QCOMPARE(host.events.size(), std::size_t(3));
    QVERIFY(QString::fromStdString(host.events[0]).contains("sg_inflowsExitCell"));
    QVERIFY(host.modified > 0);

    // Average=A 4 makes 2, 4, 6; Factor 1.5 gives A·Factor 6.
    QVERIFY(edit(averages, 1, 1, "4"));
    QCOMPARE(cell(inflows, 0, 1).trimmed(), QString("2.000"));
    QCOMPARE(cell(inflows, 2, 1).trimmed(), QString("6.000"));
    QVERIFY(edit(averages, 0, 1, "1.5"));
    QCOMPARE(cell(averages, 2, 1).trimmed(), QString("6.000"));

    // A negative flow is refused with the shared message and the cell keeps its value.
    QVERIFY(!edit(inflows, 1, 1, "-1"));
    QCOMPARE(host.recorded.messages.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host.recorded.messages[0]).startsWith("Number should be"));
    QCOMPARE(cell(inflows, 1, 1).trimmed(), QString("4.000"));
    // The temperature's average cannot be typed into.
    QVERIFY(!(window.averageGrid(VariationGrid::Temperature)->model()->flags(
                  window.averageGrid(VariationGrid::Temperature)->model()->index(0, 0)) &
              Qt::ItemIsEditable));
}

void VariationWindowTest::copyFromColumnAndFromTheClipboard()
{
    RecordingHost host("asm1-benchmark");
    host.workspace().variation.PointCount = 3;
    VariationWindow window(host);
    window.open(true);
    QTableView* inflows = window.stepGrid(VariationGrid::Inflows);
    for (int i = 0; i < 3; ++i)
        edit(inflows, i, 0, QString::number(i + 1));

    std::vector<std::string> offered;
    int choice = 0; // the first source: "1.influent"
    window.setSourceChooser([&](const std::vector<CopySource>& sources) {
        offered.clear();
        for (const CopySource& source : sources)
            offered.push_back(source.label);
        return choice;
    });
    window.copyFromColumn(VariationGrid::Inflows, 3);
    QCOMPARE(cell(inflows, 2, 2).trimmed(), QString("3.000"));
    QVERIFY(offered.back() != "from Clipboard");

    // From the clipboard, the numbers not above 0 are skipped.
    host.clipboard = "1 0 2";
    window.copyFromColumn(VariationGrid::Inflows, 3);
    QCOMPARE(offered.back(), std::string("from Clipboard"));
    choice = static_cast<int>(offered.size()) - 1;
    window.copyFromColumn(VariationGrid::Inflows, 2);
    QCOMPARE(cell(inflows, 0, 1).trimmed(), QString("1.000"));
    QCOMPARE(cell(inflows, 2, 1).trimmed(), QString("2.000"));

    // Cancel changes nothing.
    const QString before = cell(inflows, 0, 4);
    choice = -1;
    window.copyFromColumn(VariationGrid::Inflows, 5);
    QCOMPARE(cell(inflows, 0, 4), before);
}

void VariationWindowTest::leavingTheWindowWritesTheVariationBack()
{
    RecordingHost host("asm1-benchmark");
    VariationWindow window(host);
    window.open(true);
    window.show();
    auto* points = window.findChild<QComboBox*>("cb_punkte");
    const int four = points->findText("4");
    QVERIFY(four >= 0);
    points->setCurrentIndex(four);
    emit points->activated(four);
    QTableView* kla = window.stepGrid(VariationGrid::Kla);
    QCOMPARE(kla->model()->rowCount(), 4);
    edit(kla, 3, 0, "0.25");
    edit(window.averageGrid(VariationGrid::Kla), 0, 0, "2");
    const TModelDef& model = host.workspace().model;
    const TVariationDef& variation = host.workspace().variation;
    window.hide();
    QCOMPARE(variation.PointCount, 4);
    QCOMPARE(variation.Values[VariationKlaRow(model, 1)][4], 0.25);
    QCOMPARE(variation.Values[VariationKlaRow(model, 1)][5], 2.0);
}

void VariationWindowTest::anAIPlantHasTheLanePage()
{
    RecordingHost host("ai-demo");
    VariationWindow window(host);
    window.open(true);
    window.show();
    QCOMPARE(window.windowTitle(), QString("Variation AI"));
    QCOMPARE(window.pages()->tabText(window.pages()->count() - 1), QString("lane"));
    QTableView* lanes = window.laneGrid();
    QCOMPARE(lanes->model()->rowCount(), host.workspace().variation.PointCount);
    QCOMPARE(lanes->model()->headerData(0, Qt::Horizontal).toString().trimmed(),
             QString("lane fed"));

    lanes->selectionModel()->select(lanes->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    lanes->selectionModel()->select(lanes->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    window.changeLaneSelection(2);
    QCOMPARE(host.workspace().aiVariation.LaneFed[1], 2);
    QCOMPARE(host.workspace().aiVariation.LaneFed[2], 2);

    window.copyLanes();
    QVERIFY(!host.clipboard.empty());
    host.clipboard = "3";
    window.pasteLanes();
    QCOMPARE(host.recorded.messages.back(), std::string("Clipboard must contain values of 1 or 2!"));
    QCOMPARE(host.workspace().aiVariation.LaneFed[1], 2);

    // Another plant type: the window is the standard one again.
    host.workspace().plant.PlantType = TFlowschemeType::ftASR;
    window.open(false);
    QCOMPARE(window.windowTitle(), QString("Variation"));
    QCOMPARE(window.pages()->count(), 6);
}

QTEST_MAIN(VariationWindowTest)
#include "VariationWindowTest.moc"
