#include "AccessibleNames.h"
#include "RecordingDialogs.h"

#include "core/NumberFormat.h"
#include "model/ModelFile.h"
#include "shell/Workspace.h"
#include "ui/model/InputParametersDialog.h"
#include "ui/model/InputSpeciesDialog.h"
#include "ui/model/ModelForm.h"
#include "ui/model/ModelGridModel.h"
#include "ui/model/NewModelWizardWindow.h"

#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QTabWidget>

#include <cmath>
#include <filesystem>

using namespace narv;
using narv::test::RecordingDialogs;

namespace {

void type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

// The benchmark example's model in an editor window, shown and active.
struct Editor {
    Workspace workspace;
    RecordingDialogs dialogs;
    ModelForm form{workspace.model, workspace.plant.OperatingTemperature, dialogs};
    int dialogsRun = 0;

    Editor()
    {
        ReadModelFile(std::filesystem::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark" /
                          "asm1-benchmark.mod",
                      workspace.model, workspace.plant, workspace.state);
        form.open();
        form.show();
        QApplication::setActiveWindow(&form);
        if (!QTest::qWaitForWindowActive(&form))
            qFatal("the editor did not become active");
    }
    TModelDef& model() { return workspace.model; }
    QModelIndex index(ModelGrid grid, int row, int column)
    {
        return form.gridModel(grid)->index(row, column);
    }
    bool pageShown(ModelPage page) const
    {
        return form.pages()->isTabVisible(static_cast<int>(page));
    }
    void setCount(ModelCount count, const QString& text)
    {
        type(form.countField(count), text);
        QTest::keyClick(form.countField(count), Qt::Key_Tab);
    }
};

} // namespace

class ModelFormTest : public QObject {
    Q_OBJECT
private slots:
    void refusedCountKeepsItsValueAndTheFocus_data();
    void refusedCountKeepsItsValueAndTheFocus();
    void zeroCountsHidePagesAndDisableGrids();
    void temperatureFieldsShowTheUnitOutsideEditing();
    void kineticDropDownListsTheTypesWithTheCurrentOne();
    void kineticChoiceRunsTheSecondSpeciesAndParameterDialogs();
    void tooFewSpeciesRefuseASecondSpeciesType();
    void parameterDialogOffersTheExponentAndCancelRestores();
    void enterMovesDownThenToTheNextColumn();
    void namesFollowLabelsEditable();
    void copyTableCopiesEveryCell();
    void everyControlHasAnAccessibleName();
    void closingTheEditorEndsTheWizard();
};

void ModelFormTest::refusedCountKeepsItsValueAndTheFocus_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("dissolved") << int(ModelCount::Dissolved) << "30"
                               << "Number should be between 1 and 25";
    QTest::newRow("processes") << int(ModelCount::Processes) << "60"
                               << "Number should be between 0 and 49";
    QTest::newRow("empty") << int(ModelCount::Particulate) << ""
                           << "Input isn't a valid number";
}

void ModelFormTest::refusedCountKeepsItsValueAndTheFocus()
{
    QFETCH(int, count);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    Editor editor;
    const auto which = static_cast<ModelCount>(count);
    QLineEdit* field = editor.form.countField(which);
    const QString before = field->text();
    const TModelDef saved = editor.model();
    editor.setCount(which, typed);
    QCOMPARE(editor.dialogs.messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(editor.dialogs.messages[0]), message);
    QCOMPARE(field->text(), before);
    QVERIFY(field->hasFocus());
    QCOMPARE(editor.model().NS, saved.NS);
    QCOMPARE(editor.model().NX, saved.NX);
    QCOMPARE(editor.model().NP, saved.NP);
    // Nor can the page be left while the count is refused.
    type(field, typed);
    editor.form.showPage(ModelPage::RateConstants);
    QCOMPARE(editor.form.currentPage(), ModelPage::Info);
}

void ModelFormTest::zeroCountsHidePagesAndDisableGrids()
{
    Editor editor;
    editor.setCount(ModelCount::Particulate, "0");
    QVERIFY(!editor.pageShown(ModelPage::StoichParticulate));
    QVERIFY(!editor.pageShown(ModelPage::KineticsParticulate));
    QVERIFY(editor.pageShown(ModelPage::InitialConditions));
    QVERIFY(!editor.form.gridView(ModelGrid::InitialParticulate)->isEnabled());
    QVERIFY(!editor.form.gridView(ModelGrid::InfluentParticulate)->isEnabled());
    QVERIFY(editor.form.gridView(ModelGrid::InfluentDissolved)->isEnabled());

    editor.setCount(ModelCount::Processes, "0");
    QCOMPARE(editor.model().NP, 1);
    QVERIFY(!editor.pageShown(ModelPage::RateConstants));
    QCOMPARE(editor.form.gridModel(ModelGrid::StoichDissolved)->rowCount(), 1);

    editor.setCount(ModelCount::Particulate, "2");
    editor.setCount(ModelCount::Processes, "3");
    QVERIFY(editor.pageShown(ModelPage::StoichParticulate));
    QVERIFY(editor.pageShown(ModelPage::RateConstants));
    QVERIFY(editor.form.gridView(ModelGrid::InitialParticulate)->isEnabled());
    QCOMPARE(editor.form.gridModel(ModelGrid::StoichParticulate)->columnCount(), 3);
    QVERIFY(editor.dialogs.messages.empty());
}

void ModelFormTest::temperatureFieldsShowTheUnitOutsideEditing()
{
    Editor editor;
    QLineEdit* operating = editor.form.temperatureField(ModelTemperature::Operating);
    // A model read from its file runs at its base temperature until a plant says otherwise.
    QCOMPARE(operating->text(), QString(" 15.0 °C"));
    const double kr = editor.model().Kr[2];
    type(operating, "10");
    QTest::keyClick(operating, Qt::Key_Tab);
    QCOMPARE(operating->text(), QString(" 10.0 °C"));
    QCOMPARE(editor.workspace.plant.OperatingTemperature, 10.0);
    // The rate-constant grid shows the rate at the new temperature at once.
    const QString shown =
        editor.index(ModelGrid::RateConstants, 1, 2).data().toString();
    QCOMPARE(shown.toStdString(),
             FormatNumber(11, 3, kr * std::exp(editor.model().ThetaKr[2] * -5.0)));

    operating->setFocus();
    QCOMPARE(operating->text(), QString(" 10.0")); // the unit is left out while editing
    type(operating, "200");
    QTest::keyClick(operating, Qt::Key_Tab);
    QCOMPARE(QString::fromStdString(editor.dialogs.messages.at(0)),
             QString("Number should be between -20.00 and 100.00"));
    QVERIFY(operating->hasFocus());
    QCOMPARE(editor.workspace.plant.OperatingTemperature, 10.0);
}

void ModelFormTest::kineticDropDownListsTheTypesWithTheCurrentOne()
{
    Editor editor;
    for (ModelGrid grid : {ModelGrid::KineticsDissolved, ModelGrid::KineticsParticulate}) {
        editor.form.showPage(PageOfGrid(grid));
        ModelGridView* view = editor.form.gridView(grid);
        view->setFocus();
        // Selecting a data cell shows the list over it.
        view->setCurrentIndex(editor.index(grid, 1, 1));
        auto* list = view->findChild<QComboBox*>("KineticTypeList");
        QVERIFY(list != nullptr);
        const auto names = ModelEditor::kineticTypeNames(grid);
        QCOMPARE(list->count(), static_cast<int>(names.size()));
        QCOMPARE(list->count(), grid == ModelGrid::KineticsDissolved ? 12 : 6);
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->itemText(i).toStdString(), names[static_cast<std::size_t>(i)]);
        QCOMPARE(list->currentIndex(), editor.form.editor().kineticType(grid, 1, 1));
        // Leaving the list without choosing keeps the type.
        const int type = editor.form.editor().kineticType(grid, 1, 1);
        view->setCurrentIndex(editor.index(grid, 2, 1));
        QCOMPARE(editor.form.editor().kineticType(grid, 1, 1), type);
    }
    QVERIFY(editor.dialogs.messages.empty());
}

void ModelFormTest::kineticChoiceRunsTheSecondSpeciesAndParameterDialogs()
{
    Editor editor;
    QStringList seen;
    QStringList cellUnderDialog;
    editor.form.setDialogRunner([&](QDialog& dialog) {
        seen.append(dialog.windowTitle());
        cellUnderDialog.append(editor.index(ModelGrid::KineticsDissolved, 1, 1).data().toString());
        if (auto* species = qobject_cast<InputSpeciesDialog*>(&dialog)) {
            // The cell's own species (1) is not offered: item 0 is species 2.
            species->list()->setCurrentRow(0);
            return int(QDialog::Accepted);
        }
        auto* parameters = qobject_cast<InputParametersDialog*>(&dialog);
        QLineEdit* operating = parameters->field(ParameterDialog::Field::OperatingValue);
        operating->setText("3");
        operating->setModified(true);
        parameters->accept();
        return parameters->result();
    });
    editor.form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 1, 5);
    QCOMPARE(seen, QStringList({"Input of 2.species", "Input kinetic parameters"}));
    // Both dialogs open over a cell that already names the chosen type.
    const QString chosen = QString::fromStdString(
        ModelEditor::kineticTypeNames(ModelGrid::KineticsDissolved).at(5));
    QCOMPARE(cellUnderDialog, QStringList({chosen, chosen}));
    const TModelDef& model = editor.model();
    QCOMPARE(model.TypeS[2][1], 5);
    QCOMPARE(model.Compound2S[2][1], 2);
    QCOMPARE(model.KST[2][1], 3.0);
    QCOMPARE(editor.index(ModelGrid::KineticsDissolved, 1, 1).data().toString().toStdString(),
             kSecondSpeciesCellPrefix + model.NameS[2]);
}

void ModelFormTest::tooFewSpeciesRefuseASecondSpeciesType()
{
    Editor editor;
    editor.setCount(ModelCount::Dissolved, "2");
    int run = 0;
    editor.form.setDialogRunner([&](QDialog&) { return ++run, int(QDialog::Rejected); });
    const int before = editor.model().TypeS[2][2];
    editor.form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 5); // "Two substrates"
    QCOMPARE(run, 0);
    QCOMPARE(QString::fromStdString(editor.dialogs.messages.at(0)),
             QString("2.species not possible, add more species!"));
    QCOMPARE(editor.model().TypeS[2][2], before);
}

void ModelFormTest::parameterDialogOffersTheExponentAndCancelRestores()
{
    Editor editor;
    TModelDef& model = editor.model();
    model.TypeS[3][2] = 3;
    model.KS[3][2] = 10.0;
    model.KST[3][2] = 10.0;
    model.ThetaKS[3][2] = 0.0;
    QStringList items;
    QStringList texts;
    editor.form.setDialogRunner([&](QDialog& dialog) {
        auto* parameters = qobject_cast<InputParametersDialog*>(&dialog);
        if (parameters == nullptr)
            return int(QDialog::Rejected);
        texts = parameters->texts();
        QComboBox* exponent = parameters->exponentList();
        if (exponent == nullptr)
            return int(QDialog::Rejected);
        for (int i = 0; i < exponent->count(); ++i)
            items.append(exponent->itemText(i));
        exponent->setCurrentIndex(1);
        QLineEdit* coefficient = parameters->field(ParameterDialog::Field::Coefficient);
        coefficient->setText("0.05");
        coefficient->setModified(true);
        parameters->accept();
        return parameters->result();
    });
    editor.form.chooseKineticType(ModelGrid::KineticsDissolved, 2, 2, 8); // Monod II
    QCOMPARE(items, QStringList({"1", "2", "3"}));
    QVERIFY(texts.contains("Process: " + QString::fromStdString(model.ProcessName[3])));
    QCOMPARE(model.TypeS[3][2], 8);
    QCOMPARE(model.Compound2S[3][2], 2);
    QCOMPARE(model.ThetaKS[3][2], 0.05);

    // Cancel: type, value and coefficient as they were.
    const TModelDef before = model;
    editor.form.setDialogRunner([](QDialog& dialog) {
        if (auto* parameters = qobject_cast<InputParametersDialog*>(&dialog)) {
            QLineEdit* operating = parameters->field(ParameterDialog::Field::OperatingValue);
            operating->setText("77");
            operating->setModified(true);
            QTest::keyClick(operating, Qt::Key_Tab);
        }
        return int(QDialog::Rejected);
    });
    editor.form.chooseKineticType(ModelGrid::KineticsDissolved, 2, 2, 4);
    QCOMPARE(model.TypeS[3][2], before.TypeS[3][2]);
    QCOMPARE(model.KS[3][2], before.KS[3][2]);
    QCOMPARE(model.KST[3][2], before.KST[3][2]);
    QCOMPARE(model.ThetaKS[3][2], before.ThetaKS[3][2]);
    QCOMPARE(model.Compound2S[3][2], before.Compound2S[3][2]);
}

void ModelFormTest::enterMovesDownThenToTheNextColumn()
{
    Editor editor;
    const ModelGrid grid = ModelGrid::StoichDissolved;
    editor.form.showPage(ModelPage::StoichDissolved);
    ModelGridView* view = editor.form.gridView(grid);
    view->setFocus();
    view->setCurrentIndex(editor.index(grid, 1, 1));
    QTest::keyClick(view, Qt::Key_2); // a key starts editing the cell
    QTest::keyClicks(view->focusWidget(), ".5");
    QTest::keyClick(view->focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(view->currentIndex(), editor.index(grid, 2, 1));
    QCOMPARE(editor.model().NueS[2][1], 2.5);
    QCOMPARE(editor.index(grid, 1, 1).data().toString(), QString("      2.500  ").mid(2));

    // Clearing a cell stores 0 and shows it empty; from the last row on to the next column.
    const int last = editor.form.gridModel(grid)->rowCount() - 1;
    view->setCurrentIndex(editor.index(grid, last, 1));
    QTest::keyClick(view, Qt::Key_F2);
    QTest::keyClick(view->focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(view->focusWidget(), Qt::Key_Delete);
    QTest::keyClick(view->focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(view->currentIndex(), editor.index(grid, 1, 2));
    QCOMPARE(editor.model().NueS[last + 1][1], 0.0);
    QCOMPARE(editor.index(grid, last, 1).data().toString(), QString());

    // Not a number: the stored value comes back, silently.
    view->setCurrentIndex(editor.index(ModelGrid::StoichDissolved, 1, 1));
    QTest::keyClick(view, Qt::Key_A);
    QTest::keyClicks(view->focusWidget(), "bc");
    QTest::keyClick(view->focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(view->currentIndex(), editor.index(grid, 2, 1));
    QCOMPARE(editor.model().NueS[2][1], 2.5);
    QVERIFY(editor.dialogs.messages.empty());
}

void ModelFormTest::namesFollowLabelsEditable()
{
    Editor editor;
    ModelGridModel* grid = editor.form.gridModel(ModelGrid::StoichDissolved);
    QVERIFY(!(grid->flags(grid->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(!(grid->flags(grid->index(0, 0)) & Qt::ItemIsEditable));
    editor.form.labelsEditableBox()->click();
    QVERIFY(grid->flags(grid->index(0, 1)) & Qt::ItemIsEditable);
    QVERIFY(grid->flags(grid->index(1, 0)) & Qt::ItemIsEditable);
    QVERIFY(!(grid->flags(grid->index(0, 0)) & Qt::ItemIsEditable)); // the corner stays a label
    grid->setData(grid->index(0, 2), "Ammonium nitrogen NH4");
    QCOMPARE(QString::fromStdString(editor.dialogs.messages.at(0)),
             QString("Name is too long. It will be truncated!"));
    QCOMPARE(editor.model().NameS[2], std::string("S Ammonium nitro"));
    QCOMPARE(grid->index(0, 2).data().toString(), QString("Ammonium nitro"));
    grid->setData(grid->index(1, 0), "Aerobic growth");
    QCOMPARE(editor.model().ProcessName[2], std::string("Aerobic growth"));
    QCOMPARE(grid->index(0, 0).data().toString(), QString("Process"));
}

void ModelFormTest::copyTableCopiesEveryCell()
{
    Editor editor;
    for (int g = 1; g <= 9; ++g) {
        const auto grid = static_cast<ModelGrid>(g);
        ModelGridView* view = editor.form.gridView(grid);
        QCOMPARE(view->actions().size(), 1);
        QCOMPARE(view->actions()[0]->text(), QString("Copy Table to Clipboard"));
        view->actions()[0]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
                 editor.form.editor().tableText(grid));
    }
}

void ModelFormTest::everyControlHasAnAccessibleName()
{
    Editor editor;
    for (int page = 0; page < kModelPageCount; ++page) {
        editor.form.showPage(static_cast<ModelPage>(page));
        QCOMPARE(test::controlsWithoutAccessibleName(&editor.form), QStringList());
    }
    QStringList dialogs;
    editor.form.setDialogRunner([&](QDialog& dialog) {
        dialog.show();
        dialogs.append(dialog.windowTitle());
        const QStringList missing = test::controlsWithoutAccessibleName(&dialog);
        if (!missing.isEmpty())
            dialogs.append(missing);
        if (auto* species = qobject_cast<InputSpeciesDialog*>(&dialog))
            species->list()->setCurrentRow(0);
        return int(QDialog::Accepted);
    });
    editor.form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 9); // Inhibition II
    editor.form.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 3);
    QCOMPARE(dialogs, QStringList({"Input kinetic parameters", "Input of 2.species",
                                   "Input kinetic parameters"}));
    NewModelWizardWindow wizard(editor.form, editor.dialogs);
    wizard.show();
    QCOMPARE(test::controlsWithoutAccessibleName(&wizard), QStringList());
}

void ModelFormTest::closingTheEditorEndsTheWizard()
{
    Editor editor;
    NewModelWizardWindow wizard(editor.form, editor.dialogs);
    QSignalSpy finished(&wizard, &NewModelWizardWindow::finished);
    wizard.show();
    wizard.forward();
    wizard.forward();
    QVERIFY(editor.form.editor().labelsLocked());
    editor.form.close();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!wizard.isVisible());
    QVERIFY(!editor.form.editor().labelsLocked());
    QCOMPARE(editor.dialogs.messages, std::vector<std::string>({kWizardFinishedMessage}));
}

QTEST_MAIN(ModelFormTest)
#include "ModelFormTest.moc"
