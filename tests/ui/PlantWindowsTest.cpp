#include "RecordingDialogs.h"

#include "plant/ControlLoops.h"
#include "shell/CaseFiles.h"
#include "special/SbrEditor.h"
#include "ui/plant/AIControlLoopsWindow.h"
#include "ui/plant/ControlLoopsWindow.h"
#include "ui/plant/FlowschemeGraphicWindow.h"
#include "ui/plant/PlantEditorWindow.h"
#include "ui/plant/PlantWindows.h"
#include "ui/plant/SbrPage.h"

#include <QtCore/QTemporaryDir>
#include <QtGui/QAccessible>
#include <QtGui/QImageReader>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QTabBar>
#include <QtWidgets/QTabWidget>
#include <QtWidgets/QTableView>

#include <filesystem>
#include <memory>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(NARV_SOURCE_DIR) / "examples";

// An example case read into a workspace, with the plant's windows over it.
struct Plant {
    Workspace workspace;
    RecordingDialogs dialogs;
    int modified = 0;
    int closed = 0;
    std::unique_ptr<PlantWindows> windows;

    explicit Plant(const std::string& example)
    {
        const fs::path dir = kExamples / example;
        CaseFiles files{dir / (example + ".mod"), dir / (example + ".pln"), std::nullopt};
        LoadCase(workspace, files);
        PlantWindows::Hooks hooks;
        hooks.plantModified = [this] { ++modified; };
        hooks.editorClosed = [this] { ++closed; };
        hooks.saveDirectory = [] { return fs::temp_directory_path(); };
        windows = std::make_unique<PlantWindows>(workspace, dialogs, std::move(hooks), nullptr);
        windows->reloadPlantEditor();
    }

    PlantEditorWindow& editor() { return *windows->editor(); }
    template <typename T> T* find(QWidget* window, const char* name)
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no widget %s", name);
        return widget;
    }
    QComboBox* choice(const char* name) { return find<QComboBox>(&editor(), name); }
    QLineEdit* field(const char* name) { return find<QLineEdit>(&editor(), name); }
    void choose(QComboBox* box, int index)
    {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // Typing into a field and leaving it.
    void enter(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->setText(text);
        edit->setModified(true);
        emit edit->editingFinished();
    }
};

void saveShot(QWidget& window, const QString& name)
{
    const QByteArray dir = qgetenv("NARV_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
        // A window gets what fits a screen of that size, less the task bar and frame.
        if (qobject_cast<QDialog*>(&window) != nullptr)
            window.resize(window.sizeHint());
        else
            window.resize(size.width() * 4 / 5, size.height() * 3 / 4);
        QApplication::processEvents();
        window.grab().save(QString::fromLatin1(dir) + QLatin1Char('/') + name +
                           QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height()));
    }
}

} // namespace

class PlantWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void oneReactorDisablesTheRecirculation();
    void fewerReactorsMoveTheRecirculationIndices();
    void temperatureOutOfRangeKeepsTheFocus();
    void cstrPlantDisablesSludgeAgeAndClarifier();
    void gridsEditThePlantAndRefuseBadCells();
    void controlLoopRowsAndDialog();
    void influentSignalDisablesTheCompartment();
    void sbrPageRefusesTooManyTimeslicesAndHoldsAnUnbalancedCycle();
    void graphicIsDrawnForEveryExampleAndSaved();
    void closingTheEditorTellsTheShell();
    void typedFieldsAreCheckedWhenTheirPageOrDialogIsLeft();
    void anotherLoadedPlantTypeChangesThePages();
    void aiEditorShowsCountsTypesAndTwinVolumes();
    void aiControlLoopsKeepTheLaneOnOffAndCopyToTheOtherLane();
    void everyControlHasAnAccessibleName();
};

void PlantWindowsTest::oneReactorDisablesTheRecirculation()
{
    Plant plant("asm1-benchmark");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Definition);
    QVERIFY(plant.field("ed_rez")->isEnabled());
    plant.choose(plant.choice("cb_knkb"), 0);
    QCOMPARE(plant.workspace.plant.ReactorCount, 1);
    for (const char* name : {"cb_kvon", "cb_kzu", "cb_kvon2", "cb_kzu2"})
        QVERIFY2(!plant.choice(name)->isEnabled(), name);
    QVERIFY(!plant.field("ed_rez")->isEnabled());
    QVERIFY(!plant.field("ed_rez2")->isEnabled());
    QCOMPARE(plant.workspace.plant.RecircFrom, 1);
    QCOMPARE(plant.workspace.plant.RecircTo, 1);
    QVERIFY(plant.modified > 0);
}

void PlantWindowsTest::fewerReactorsMoveTheRecirculationIndices()
{
    Plant plant("asm1-benchmark");
    TPlantDef& p = plant.workspace.plant;
    p.ReactorCount = 6;
    p.CompartmentCount = 6 + 2;
    p.RecircFrom = 6;
    p.RecircTo = 5;
    p.RecircFlow = 100.0;
    plant.editor().refreshAll();
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    plant.choose(plant.choice("cb_knkb"), 3);
    QCOMPARE(p.RecircFrom, 4);
    QCOMPARE(p.RecircTo, 3);
    QCOMPARE(plant.choice("cb_kvon")->currentText(), QStringLiteral("4"));
    QCOMPARE(plant.choice("cb_kzu")->currentText(), QStringLiteral("3"));
    QCOMPARE(plant.choice("cb_kzu")->count(), 3);
    QCOMPARE(plant.choice("cb_cl")->currentText(), QStringLiteral("2"));
}

void PlantWindowsTest::temperatureOutOfRangeKeepsTheFocus()
{
    Plant plant("asm1-benchmark");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Definition);
    plant.editor().activateWindow();
    QLineEdit* temp = plant.field("ed_temp");
    const double before = plant.workspace.plant.OperatingTemperature;
    QCOMPARE(temp->text(), QString::number(before, 'f', 1)); // the bare number while focused
    // Typed, then left for the next field: the refusal brings the focus back.
    temp->setFocus();
    temp->setText(QStringLiteral("120"));
    temp->setModified(true);
    plant.field("ed_sosat")->setFocus();
    QCOMPARE(plant.editor().focusWidget(), plant.field("ed_sosat"));
    emit temp->editingFinished();
    QCOMPARE(plant.dialogs.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.front()),
             QStringLiteral("Number should be between -20.00 and 100.00"));
    QCOMPARE(plant.workspace.plant.OperatingTemperature, before);
    QCOMPARE(plant.editor().focusWidget(), temp);
    QCOMPARE(temp->text(), QString::asprintf("%5.1f", before)); // the stored value, 5 wide
    QCOMPARE(plant.modified, 0);

    plant.enter(temp, QStringLiteral("25"));
    QCOMPARE(plant.workspace.plant.OperatingTemperature, 25.0);
    QCOMPARE(plant.modified, 1);
}

void PlantWindowsTest::cstrPlantDisablesSludgeAgeAndClarifier()
{
    Plant plant("asm1-benchmark");
    plant.windows->startNewPlant(TFlowschemeType::ftCSTR);
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    QCOMPARE(plant.editor().windowTitle(),
             QStringLiteral("Flowscheme: CSTR (Completely Stirred Tank Reactor) "));
    QVERIFY(!plant.choice("cb_cl")->isEnabled());
    QVERIFY(!plant.field("ed_sa")->isEnabled());
    QVERIFY(!plant.choice("cb_krue")->isEnabled());
    auto* reactors = plant.find<QTableView>(&plant.editor(), "sg_reactors");
    QCOMPARE(reactors->model()->rowCount(), plant.workspace.plant.ReactorCount);
    for (int row = 0; row < reactors->model()->rowCount(); ++row)
        QVERIFY(reactors->model()->index(row, 0).data().toString().startsWith(" Reactor"));

    // Typing a return flow offers its reactor before the field is left.
    QLineEdit* r = plant.field("ed_R");
    r->setText(QStringLiteral("5"));
    emit r->textEdited(r->text());
    QVERIFY(plant.choice("cb_krue")->isEnabled());
}

void PlantWindowsTest::gridsEditThePlantAndRefuseBadCells()
{
    Plant plant("asm1-benchmark");
    plant.windows->showPlantEditor(WindowPort::PlantPage::InfluentConcentrations);
    auto* qs = plant.find<QTableView>(&plant.editor(), "sg_qs");
    QAbstractItemModel* model = qs->model();
    QVERIFY(model->setData(model->index(0, 2), QStringLiteral("33"), Qt::EditRole));
    QCOMPARE(plant.workspace.model.InfluentS[2], 33.0);
    QVERIFY(!model->setData(model->index(0, 2), QStringLiteral("x"), Qt::EditRole));
    QCOMPARE(plant.workspace.model.InfluentS[2], 33.0);
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QStringLiteral("Input isn't a valid number"));

    // A positive kla takes the reactor off its setpoint and the row shows it.
    auto* reactors = plant.find<QTableView>(&plant.editor(), "sg_reactors");
    QAbstractItemModel* grid = reactors->model();
    QVERIFY(grid->setData(grid->index(0, 2), QStringLiteral("2"), Qt::EditRole));
    QVERIFY(grid->setData(grid->index(0, 3), QStringLiteral("100"), Qt::EditRole));
    QCOMPARE(plant.workspace.plant.O2Setpoint[1], 0.0);
    QCOMPARE(grid->index(0, 2).data().toString().trimmed(), QStringLiteral("0.000"));
    QVERIFY(plant.modified >= 2);
}

void PlantWindowsTest::controlLoopRowsAndDialog()
{
    Plant plant("asm1-benchmark");
    TPlantDef& p = plant.workspace.plant;
    p.ReactorCount = 3;
    p.CompartmentCount = 5;
    ResetControlLoops(p.ControlLoops);
    p.ControlLoopsActive = false;
    ControlLoopsWindow* loops = plant.windows->controlLoops();
    plant.windows->showControlLoops();
    QCOMPARE(loops->windowTitle(), QStringLiteral("Control Loops"));
    QCOMPARE(loops->findChildren<QCheckBox*>().size(), 7);
    QVERIFY(loops->findChild<QLabel*>(QStringLiteral("CLoop7")) != nullptr);
    QCOMPARE(loops->description(1)->text(), QStringLiteral("Signal to control Returnsludge"));
    QVERIFY(!loops->typeChoice(1)->isEnabled());
    QCOMPARE(plant.modified, 0); // showing marks nothing unsaved

    loops->activeBox(1)->click();
    QVERIFY(p.ControlLoops[1].Active);
    QVERIFY(p.ControlLoopsActive);
    QVERIFY(loops->typeChoice(1)->isEnabled());
    QCOMPARE(plant.modified, 1);

    // Choosing On/Off opens the dialog on a copy; Cancel keeps the equation and its slope.
    QStringList compartments;
    QString title;
    QString below;
    bool aboveShown = false;
    loops->setDialogRunner([&](ControlLoopDialogWindow& dialog) {
        title = dialog.windowTitle();
        for (int i = 0; i < dialog.compartments()->count(); ++i)
            compartments << dialog.compartments()->itemText(i);
        below = dialog.field(ControlLoopDialog::Steigung)->text().trimmed();
        aboveShown = !dialog.field(ControlLoopDialog::Stellung2)->isHidden();
        return false;
    });
    plant.choose(loops->typeChoice(1), 0);
    QCOMPARE(title, QStringLiteral("Control of Returnsludge"));
    QCOMPARE(below, QStringLiteral("0.000"));
    QVERIFY(aboveShown);
    QCOMPARE(compartments, (QStringList{"1", "2", "3", "Cl. 1", "Cl. 2"}));
    QVERIFY(!p.ControlLoops[1].OnOff);
    QCOMPARE(p.ControlLoops[1].Steigung, -200.0);
    QCOMPARE(loops->typeChoice(1)->currentText(), QStringLiteral("Equation"));

    // OK takes the copy.
    loops->setDialogRunner([](ControlLoopDialogWindow& dialog) {
        QLineEdit* upper = dialog.field(ControlLoopDialog::ErwartetX);
        upper->setText(QStringLiteral("3"));
        upper->setModified(true);
        dialog.accept();
        return true;
    });
    plant.choose(loops->typeChoice(1), 0);
    QVERIFY(p.ControlLoops[1].OnOff);
    QCOMPARE(p.ControlLoops[1].ErwartetX, 3.0);
    QCOMPARE(loops->description(1)->text(),
             QString::fromStdString(DescribeControlLoop(plant.workspace.model, p.ControlLoops[1])));

    loops->deactivateAll();
    QVERIFY(!p.ControlLoopsActive);
    QVERIFY(!loops->activeBox(1)->isChecked());
}

void PlantWindowsTest::influentSignalDisablesTheCompartment()
{
    Plant plant("asm1-benchmark");
    TControlLoopDef& entry = plant.workspace.plant.ControlLoops[5];
    entry.Signal = 3;
    ControlLoopDialog dialog(plant.workspace.model, plant.workspace.plant, entry,
                             ControlledQuantityCaption(5), false);
    ControlLoopDialogWindow window(dialog, plant.dialogs);
    QVERIFY(window.compartments()->isEnabled());
    QCOMPARE(window.signalChoice()->itemText(0), QStringLiteral("Influent flowrate"));
    window.signalChoice()->setCurrentIndex(0);
    emit window.signalChoice()->activated(0);
    QVERIFY(!window.compartments()->isEnabled());
    window.accept();
    QCOMPARE(entry.Signal, 1);
}

void PlantWindowsTest::sbrPageRefusesTooManyTimeslicesAndHoldsAnUnbalancedCycle()
{
    Plant plant("sbr-demo");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Definition);
    PlantEditorWindow& editor = plant.editor();
    QCOMPARE(editor.windowTitle(), QStringLiteral("SBR"));
    auto* pages = plant.find<QTabWidget>(&editor, "PageControl1");
    QVERIFY(pages->isTabVisible(0));
    QVERIFY(!pages->isTabVisible(1));
    QVERIFY(!pages->isTabVisible(2));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet6"));

    TSbrCycle& cycle = plant.workspace.sbr;
    int total = 0;
    for (const TSbrPeriod& period : cycle.Periods)
        total += period.Timeslices;
    auto* grid = plant.find<QTableView>(&editor, "AdvStringGrid1");
    QAbstractItemModel* model = grid->model();
    const int first = cycle.Periods[1].Timeslices;
    const int room = 288 - total + first;
    QVERIFY(!model->setData(model->index(0, 1), QString::number(room + 1), Qt::EditRole));
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QStringLiteral("Number should be between 0 and %1").arg(room));
    QCOMPARE(cycle.Periods[1].Timeslices, first);

    // An unbalanced cycle keeps the editor open with the message.
    const int before = plant.closed;
    QVERIFY(model->setData(model->index(0, 3),
                           QString::number(cycle.Periods[1].Influent1Volume + 50.0), Qt::EditRole));
    QVERIFY(!editor.close());
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QString::fromLatin1(kSbrUnbalancedMessage));
    // Nor can the page be left.
    const std::size_t messages = plant.dialogs.messages.size();
    pages->setCurrentIndex(3);
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet6"));
    QCOMPARE(plant.dialogs.messages.size(), messages + 1);
    QCOMPARE(plant.closed, before);
    QVERIFY(editor.isVisible());
    QVERIFY(model->setData(model->index(0, 3),
                           QString::number(cycle.Periods[1].Influent1Volume - 50.0), Qt::EditRole));

    // A refused field of the page keeps the editor open too, and the cycle unchanged.
    QLineEdit* length = plant.find<QLineEdit>(&editor, "ed_Min");
    const int timeslice = cycle.TimesliceLength;
    length->setText(QStringLiteral("x"));
    length->setModified(true);
    QVERIFY(!editor.close());
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QStringLiteral("Input isn't a valid number"));
    QCOMPARE(cycle.TimesliceLength, timeslice);
    QCOMPARE(plant.closed, before);
    QVERIFY(editor.close());
    QCOMPARE(plant.closed, before + 1);

    // OK of the period's control dialog: a refused field keeps the dialog open, the period as it
    // was, and the focus in the field.
    SbrControlDialogMemory memory;
    cycle.Periods[1].AerationMode = TSbrAerationMode::OnOff;
    const TSbrPeriod period = cycle.Periods[1];
    SbrControlDialog dialog(cycle, 1, plant.workspace.model, memory);
    SbrControlDialogWindow window(dialog, plant.dialogs);
    window.show();
    QLineEdit* upper = window.field(SbrControlDialog::SignalValueOrUpper);
    upper->setFocus();
    upper->setText(QStringLiteral("-3"));
    upper->setModified(true);
    window.accept();
    QVERIFY(window.isVisible());
    QVERIFY(window.result() != QDialog::Accepted);
    QCOMPARE(cycle.Periods[1].UpperThreshold, period.UpperThreshold);
    QCOMPARE(window.focusWidget(), upper);
    upper->setText(QStringLiteral("3"));
    upper->setModified(true);
    window.accept();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(cycle.Periods[1].UpperThreshold, 3.0);
}

void PlantWindowsTest::graphicIsDrawnForEveryExampleAndSaved()
{
    for (const char* example : {"asm1-benchmark", "carbon-nitrogen", "ai-demo"}) {
        Plant plant(example);
        plant.windows->showFlowschemeGraphic();
        FlowschemeGraphicWindow* graphic = plant.windows->graphic();
        const bool ai = plant.workspace.plant.PlantType == TFlowschemeType::ftAI;
        QCOMPARE(graphic->windowTitle(), ai ? QStringLiteral("Graphic of Flowscheme: A/I Process")
                                            : QStringLiteral("Graphic of Flowscheme"));
        const QImage image = graphic->image();
        // Something black is drawn on the white picture.
        int dark = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        QVERIFY2(dark > 200, example);

        QTemporaryDir dir;
        const fs::path bmp = fs::path(dir.path().toStdString()) / "picture.bmp";
        plant.dialogs.paths = {bmp};
        graphic->saveToFile();
        QCOMPARE(plant.dialogs.fileDialogs.back().filter,
                 std::string("Bitmap files (*.bmp)|*.BMP|PNG files (*.png)|*.PNG"));
        QCOMPARE(QImage(QString::fromStdString(bmp.string())).size(), image.size());
        const fs::path png = fs::path(dir.path().toStdString()) / "picture.png";
        QVERIFY(graphic->writeImage(png));
        QCOMPARE(QImageReader(QString::fromStdString(png.string())).format(), QByteArray("png"));
        if (ai) {
            const fs::path svg = fs::path(dir.path().toStdString()) / "picture.svg";
            QVERIFY(graphic->writeSvg(svg));
            QVERIFY(fs::file_size(svg) > 500);
        }
        saveShot(*graphic, QStringLiteral("graphic-") + QString::fromLatin1(example));
        plant.windows->closeFlowschemeGraphic();
        QVERIFY(!graphic->isVisible());
    }
}

void PlantWindowsTest::closingTheEditorTellsTheShell()
{
    Plant plant("carbon-nitrogen");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    QVERIFY(plant.editor().close());
    QCOMPARE(plant.closed, 1);
}

void PlantWindowsTest::typedFieldsAreCheckedWhenTheirPageOrDialogIsLeft()
{
    Plant plant("asm1-benchmark");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Definition);
    PlantEditorWindow& editor = plant.editor();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    auto* pages = plant.find<QTabWidget>(&editor, "PageControl1");
    const int definition = pages->currentIndex();
    TPlantDef& p = plant.workspace.plant;
    const double saturation = p.O2Saturation;
    const double influent = p.InfluentFlow;

    // Text typed into two fields whose checks have not run: leaving the page checks both, and
    // a refusal keeps the page with the field focused.
    QLineEdit* sosat = plant.field("ed_sosat");
    QLineEdit* flow = plant.field("ed_Q");
    flow->setText(QStringLiteral("123"));
    flow->setModified(true);
    sosat->setFocus();
    sosat->setText(QStringLiteral("abc"));
    sosat->setModified(true);
    QTabBar* tabs = pages->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(definition + 1).center());
    QCOMPARE(pages->currentIndex(), definition);
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QStringLiteral("Input isn't a valid number"));
    QCOMPARE(p.O2Saturation, saturation);
    QCOMPARE(p.InfluentFlow, 123.0);
    QCOMPARE(QApplication::focusWidget(), sosat);

    // Closing the dialog checks them as well; a refusal keeps it open.
    sosat->setText(QStringLiteral("-1"));
    sosat->setModified(true);
    QVERIFY(!editor.close());
    QVERIFY(editor.isVisible());
    QCOMPARE(plant.closed, 0);
    QCOMPARE(p.O2Saturation, saturation);

    // The keyboard's page switch is held the same way, with the focus kept in the field.
    sosat->setFocus();
    sosat->setText(QStringLiteral("abc"));
    sosat->setModified(true);
    const std::size_t shown = plant.dialogs.messages.size();
    QTest::keyClick(sosat, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), definition);
    QCOMPARE(plant.dialogs.messages.size(), shown + 1);
    QCOMPARE(QApplication::focusWidget(), sosat);
    QTest::keyClick(sosat, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), definition);

    sosat->setText(QStringLiteral("9.5"));
    sosat->setModified(true);
    flow->setText(QStringLiteral("77"));
    flow->setModified(true);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(definition + 1).center());
    QCOMPARE(pages->currentIndex(), definition + 1);
    QCOMPARE(p.O2Saturation, 9.5);
    QCOMPARE(p.InfluentFlow, 77.0);
    QVERIFY(p.InfluentFlow != influent);
    QVERIFY(editor.close());
    QCOMPARE(plant.closed, 1);

    // OK of the control-loop settings dialog: a refused field keeps the dialog open and the
    // entry unchanged.
    plant.windows->showControlLoops();
    ControlLoopsWindow* loops = plant.windows->controlLoops();
    loops->activeBox(1)->click();
    const TControlLoopDef before = p.ControlLoops[1];
    bool stayedOpen = false;
    loops->setDialogRunner([&](ControlLoopDialogWindow& dialog) {
        QLineEdit* upper = dialog.field(ControlLoopDialog::ErwartetX);
        upper->setText(QStringLiteral("-5"));
        upper->setModified(true);
        dialog.accept();
        stayedOpen = dialog.result() != QDialog::Accepted;
        return false;
    });
    plant.choose(loops->typeChoice(1), 1);
    QVERIFY(stayedOpen);
    QCOMPARE(p.ControlLoops[1].ErwartetX, before.ErwartetX);
}

void PlantWindowsTest::anotherLoadedPlantTypeChangesThePages()
{
    Plant plant("asm1-benchmark");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    auto* pages = plant.find<QTabWidget>(&plant.editor(), "PageControl1");
    QVERIFY(pages->isTabVisible(1));
    const fs::path dir = kExamples / "sbr-demo";
    LoadCase(plant.workspace, {dir / "sbr-demo.mod", dir / "sbr-demo.pln", std::nullopt});
    plant.windows->reloadPlantEditor();
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    QCOMPARE(plant.editor().windowTitle(), QStringLiteral("SBR"));
    QVERIFY(pages->isTabVisible(0));
    QVERIFY(!pages->isTabVisible(1));
    QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet6"));
}

void PlantWindowsTest::aiEditorShowsCountsTypesAndTwinVolumes()
{
    Plant plant("ai-demo");
    plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
    PlantEditorWindow& editor = plant.editor();
    QCOMPARE(editor.objectName(), QStringLiteral("TFormDefFlowschemeAI"));
    QVERIFY(!plant.choice("cb_knkb")->isVisibleTo(&editor));
    QVERIFY(plant.choice("cb_knp")->isVisibleTo(&editor));
    const TAIPlant& ai = plant.workspace.ai;
    QCOMPARE(plant.choice("cb_knp")->currentText().toInt(), ai.PolyvalentCount);
    QCOMPARE(plant.choice("cb_knai")->currentText().toInt(), ai.LaneCompartmentCount);
    QCOMPARE(plant.choice("cb_kq")->count(), ai.PolyvalentCount);

    auto* reactors = plant.find<QTableView>(&editor, "sg_reactors");
    QAbstractItemModel* grid = reactors->model();
    QCOMPARE(grid->headerData(4, Qt::Horizontal).toString(), QStringLiteral(" Type"));
    const int lane1 = ai.PolyvalentCount + 1;
    const int lane2 = lane1 + ai.LaneCompartmentCount;
    QCOMPARE(grid->index(lane1 - 1, 4).data().toString(), QStringLiteral("lane 1"));
    QVERIFY(grid->setData(grid->index(lane1 - 1, 1), QStringLiteral("500"), Qt::EditRole));
    QCOMPARE(plant.workspace.plant.Volume[lane2], 500.0);

    // The state page has a column per compartment, the row " Type" of their roles and, below
    // the species, the row that marks the lanes.
    auto* state = plant.find<QTableView>(&editor, "sg_state");
    QAbstractItemModel* rows = state->model();
    const int lane1Column = rows->columnCount() - plant.workspace.plant.CompartmentCount + lane1 - 1;
    const int lane2Column = lane1Column + ai.LaneCompartmentCount;
    QCOMPARE(rows->index(0, 0).data().toString(), QStringLiteral(" Type"));
    QCOMPARE(rows->index(0, lane1Column).data().toString(), QStringLiteral("lane 1"));
    const int feedRow = rows->rowCount() - 2;
    QCOMPARE(rows->index(feedRow - 1, 0).data().toString(),
             QString::fromStdString(plant.workspace.model.NameX[plant.workspace.model.NX]));
    QCOMPARE(rows->index(feedRow, lane1Column).data().toString(), QStringLiteral("with feed"));
    QCOMPARE(rows->index(feedRow, lane2Column).data().toString(), QStringLiteral("without feed"));
    QCOMPARE(rows->index(feedRow + 1, 0).data().toString(), QStringLiteral("Oxygen consumption"));

    // Too many polyvalent reactors are refused with the message and lowered.
    QComboBox* knp = plant.choice("cb_knp");
    const int most = knp->itemText(knp->count() - 1).toInt();
    plant.choose(knp, knp->count() - 1);
    QCOMPARE(plant.workspace.ai.PolyvalentCount, most);
    QVERIFY(plant.workspace.plant.CompartmentCount <= MaxCompartments);
}

void PlantWindowsTest::aiControlLoopsKeepTheLaneOnOffAndCopyToTheOtherLane()
{
    Plant plant("ai-demo");
    ResetLaneLoops(plant.workspace.ai);
    plant.windows->showControlLoops();
    AIControlLoopsWindow* loops = plant.windows->aiControlLoops();
    QCOMPARE(loops->windowTitle(), QStringLiteral("Control Loops AI"));
    QCOMPARE(loops->pages()->count(), 2);
    QCOMPARE(loops->pages()->tabText(1), QStringLiteral("if lane 2 is fed"));
    QCOMPARE(loops->description(1, 0)->text(), QStringLiteral("Signal to control Lane"));

    loops->activeBox(1, 0)->click();
    QVERIFY(plant.workspace.plant.ControlLoopsActive);
    bool laneChoices = false;
    loops->setDialogRunner([&](ControlLoopDialogWindow& dialog) {
        laneChoices = dialog.laneChoice(ControlLoopDialog::Steigung) != nullptr &&
                      dialog.laneChoice(ControlLoopDialog::Steigung)->count() == 2;
        return false;
    });
    plant.dialogs.yesNo = {false};
    plant.choose(loops->typeChoice(1, 0), 1); // "Equation"
    QCOMPARE(QString::fromStdString(plant.dialogs.messages.back()),
             QString::fromLatin1(kOnlyOnOffMessage));
    QVERIFY(plant.workspace.ai.LaneLoops[1][0].OnOff);
    QVERIFY(laneChoices);
    QCOMPARE(QString::fromStdString(plant.dialogs.questions.back()),
             QString::fromLatin1(kCopyLoopQuestion));
    QVERIFY(!plant.workspace.ai.LaneLoops[2][0].Active);

    // Cancel keeps the entry's kind and the row shows it again; Yes copies the entry as it is
    // to the other lane.
    TAIPlant& ai = plant.workspace.ai;
    loops->activeBox(1, 7)->click();
    QVERIFY(!ai.LaneLoops[1][7].OnOff);
    const double slope = ai.LaneLoops[1][7].Steigung;
    plant.dialogs.yesNo = {true};
    plant.choose(loops->typeChoice(1, 7), 0); // "On/Off", cancelled
    QVERIFY(!ai.LaneLoops[1][7].OnOff);
    QCOMPARE(ai.LaneLoops[1][7].Steigung, slope);
    QCOMPARE(loops->typeChoice(1, 7)->currentText(), QStringLiteral("Equation"));
    QCOMPARE(ai.LaneLoops[2][7].Active, true);
    QCOMPARE(ai.LaneLoops[2][7].OnOff, false);
    QVERIFY(loops->activeBox(2, 7)->isChecked());

    // OK stores the chosen kind, which Yes copies as well.
    loops->setDialogRunner([](ControlLoopDialogWindow& dialog) {
        dialog.accept();
        return true;
    });
    plant.dialogs.yesNo = {true};
    plant.choose(loops->typeChoice(1, 7), 0);
    QVERIFY(ai.LaneLoops[1][7].OnOff);
    QCOMPARE(ai.LaneLoops[1][7].Steigung, 0.0);
    QVERIFY(ai.LaneLoops[2][7].OnOff);
    QCOMPARE(loops->typeChoice(2, 7)->currentText(), QStringLiteral("On/Off"));
}

void PlantWindowsTest::everyControlHasAnAccessibleName()
{
    for (const char* example : {"asm1-benchmark", "sbr-demo", "ai-demo"}) {
        Plant plant(example);
        plant.windows->showPlantEditor(WindowPort::PlantPage::Current);
        plant.windows->showControlLoops();
        std::vector<QWidget*> windows{plant.windows->editor()};
        if (plant.workspace.plant.PlantType == TFlowschemeType::ftAI)
            windows.push_back(plant.windows->aiControlLoops());
        else
            windows.push_back(plant.windows->controlLoops());
        TControlLoopDef& entry = plant.workspace.plant.ControlLoops[1];
        ControlLoopDialog dialog(plant.workspace.model, plant.workspace.plant, entry, "x", true);
        ControlLoopDialogWindow dialogWindow(dialog, plant.dialogs);
        windows.push_back(&dialogWindow);
        SbrControlDialogMemory memory;
        plant.workspace.sbr.Periods[1].AerationMode = TSbrAerationMode::OnOff;
        SbrControlDialog sbrDialog(plant.workspace.sbr, 1, plant.workspace.model, memory);
        SbrControlDialogWindow sbrWindow(sbrDialog, plant.dialogs);
        windows.push_back(&sbrWindow);
        for (QWidget* window : windows) {
            window->show();
            QVERIFY(!window->windowTitle().isEmpty());
            for (auto* pages : window->findChildren<QTabWidget*>()) {
                for (int i = 0; i < pages->count(); ++i) {
                    if (!pages->isTabVisible(i))
                        continue;
                    pages->setCurrentIndex(i);
                    saveShot(*window, QStringLiteral("%1-%2-%3")
                                          .arg(example, window->objectName(),
                                               pages->widget(i)->objectName()));
                }
            }
            if (window->findChildren<QTabWidget*>().isEmpty())
                saveShot(*window, QString::fromLatin1(example) + QLatin1Char('-') +
                                      window->objectName());
            for (QWidget* control : window->findChildren<QWidget*>()) {
                const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                         qobject_cast<QLineEdit*>(control) != nullptr ||
                                         qobject_cast<QComboBox*>(control) != nullptr ||
                                         qobject_cast<QAbstractItemView*>(control) != nullptr ||
                                         qobject_cast<QLabel*>(control) != nullptr;
                if (!interactive || control->objectName().startsWith(QStringLiteral("qt_")))
                    continue;
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY(accessible != nullptr);
                const QString where = window->windowTitle() + ": " +
                                      control->metaObject()->className() + " " +
                                      control->objectName();
                QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(where));
            }
        }
    }
}

QTEST_MAIN(PlantWindowsTest)
#include "PlantWindowsTest.moc"
