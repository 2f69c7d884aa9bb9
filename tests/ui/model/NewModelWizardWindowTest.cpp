#include "RecordingDialogs.h"

#include "model/ModelFile.h"
#include "plant/ModelSetup.h"
#include "shell/NewModelWizard.h"
#include "solvers/Relaxation.h"
#include "ui/DesktopFormat.h"
#include "ui/MainWindow.h"
#include "ui/model/InputParametersDialog.h"
#include "ui/model/ModelForm.h"
#include "ui/model/ModelGridModel.h"
#include "ui/model/NewModelWizardWindow.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace narv;
using narv::test::RecordingDialogs;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

} // namespace

class NewModelWizardWindowTest : public QObject {
    Q_OBJECT
private slots:
    void walkThroughMakesAModelThatSavesReadsBackAndRelaxes();
};

void NewModelWizardWindowTest::walkThroughMakesAModelThatSavesReadsBackAndRelaxes()
{
    QTemporaryDir dir;
    const fs::path root = ToPath(dir.path());
    const fs::path project = root / "user" / "asm1-benchmark";
    fs::create_directories(project);
    fs::create_directories(root / "user" / "model");
    for (const char* ext : {".mod", ".pln", ".vrt"})
        fs::copy_file(fs::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark" /
                          (std::string("asm1-benchmark") + ext),
                      project / (std::string("asm1-benchmark") + ext));
    RecordingDialogs dialogs;
    MainWindow window(root, &dialogs);
    QVERIFY(window.startUp());
    dialogs.projectChoices.push_back([](ProjectChooser&) { return true; });
    window.runCommand("&Load Project");
    QVERIFY(window.shell().state().ProjectDefined);

    dialogs.messages.clear();
    dialogs.texts.push_back(std::string("heterotrophs"));
    window.runCommand("&New Model");
    NewModelWizardWindow* wizard = window.newModelWizardWindow();
    QVERIFY(wizard != nullptr && wizard->isVisible());
    QCOMPARE(wizard->windowTitle(), QString("Assistant for New Model Creation"));
    QVERIFY(!window.isEnabled());
    ModelForm& form = window.modelForm();
    QVERIFY(form.isVisible());
    QVERIFY(!wizard->backButton()->isEnabled());
    for (int page = 0; page < kModelPageCount; ++page)
        QVERIFY(!form.pages()->isTabEnabled(page)); // the start text: no page yet
    QVERIFY(wizard->textLabel()->text().startsWith("This assistant leads you"));

    const auto onlyPage = [&](ModelPage page) {
        QCOMPARE(form.currentPage(), page);
        for (int p = 0; p < kModelPageCount; ++p)
            QCOMPARE(form.pages()->isTabEnabled(p), p == static_cast<int>(page));
    };
    const auto enter = [&](ModelGrid grid, int row, int column, const char* text) {
        ModelGridModel* model = form.gridModel(grid);
        QVERIFY(model->flags(model->index(row, column)) & Qt::ItemIsEditable);
        QVERIFY(model->setData(model->index(row, column), QString(text)));
    };

    wizard->forward();
    onlyPage(ModelPage::Info);
    QVERIFY(wizard->backButton()->isEnabled() == false);
    QVERIFY(!form.labelsEditableBox()->isChecked());
    QVERIFY(!form.labelsEditableBox()->isEnabled());
    form.activateWindow();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    type(form.countField(ModelCount::Dissolved), "3");
    type(form.countField(ModelCount::Particulate), "1");
    type(form.countField(ModelCount::Processes), "2");
    form.remarksField()->setFocus();
    QTest::keyClicks(form.remarksField(), "Growth of heterotrophs and their decay.");
    form.countField(ModelCount::Dissolved)->setFocus();

    wizard->forward();
    onlyPage(ModelPage::StoichDissolved);
    QVERIFY(wizard->backButton()->isEnabled());
    QVERIFY(form.labelsEditableBox()->isChecked());
    QVERIFY(!form.labelsEditableBox()->isEnabled());
    const ModelGrid stoichS = ModelGrid::StoichDissolved;
    enter(stoichS, 0, 2, "Substrate  COD");
    enter(stoichS, 0, 3, "Ammonium     N");
    enter(stoichS, 1, 0, "Growth");
    enter(stoichS, 2, 0, "Decay");
    enter(stoichS, 1, 1, "-1");
    enter(stoichS, 1, 2, "-2");
    enter(stoichS, 1, 3, "-0.08");
    enter(stoichS, 2, 1, "-1");
    enter(stoichS, 2, 3, "0.08");

    wizard->forward();
    onlyPage(ModelPage::StoichParticulate);
    enter(ModelGrid::StoichParticulate, 0, 1, "Biomass    COD");
    enter(ModelGrid::StoichParticulate, 1, 1, "1");
    enter(ModelGrid::StoichParticulate, 2, 1, "-1");

    wizard->forward();
    onlyPage(ModelPage::RateConstants);
    QVERIFY(!form.labelsEditableBox()->isChecked());
    enter(ModelGrid::RateConstants, 1, 1, "4");
    enter(ModelGrid::RateConstants, 2, 1, "0.2");

    wizard->forward();
    onlyPage(ModelPage::KineticsDissolved);
    const char* saturation = "0.2";
    form.setDialogRunner([&](QDialog& dialog) {
        auto* parameters = qobject_cast<InputParametersDialog*>(&dialog);
        QLineEdit* operating = parameters->field(ParameterDialog::Field::OperatingValue);
        operating->setText(saturation);
        operating->setModified(true);
        parameters->accept();
        return parameters->result();
    });
    form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 1, 3);
    saturation = "10";
    form.chooseKineticType(ModelGrid::KineticsDissolved, 1, 2, 3);

    wizard->forward();
    onlyPage(ModelPage::KineticsParticulate);
    form.chooseKineticType(ModelGrid::KineticsParticulate, 1, 1, 1);
    form.chooseKineticType(ModelGrid::KineticsParticulate, 2, 1, 1);

    wizard->forward();
    onlyPage(ModelPage::InitialConditions);
    enter(ModelGrid::InitialDissolved, 1, 1, "2");
    enter(ModelGrid::InitialDissolved, 1, 2, "5");
    enter(ModelGrid::InitialDissolved, 1, 3, "2");
    enter(ModelGrid::InitialParticulate, 1, 1, "1000");

    wizard->forward();
    onlyPage(ModelPage::InfluentConcentrations);
    enter(ModelGrid::InfluentDissolved, 1, 2, "300");
    enter(ModelGrid::InfluentDissolved, 1, 3, "30");

    // No to the closing question goes back to the first page; Yes ends the wizard.
    dialogs.yesNo = {false};
    wizard->forward();
    onlyPage(ModelPage::Info);
    QCOMPARE(QString::fromStdString(dialogs.questions.back()),
             QString::fromLatin1(kWizardQuitQuestion));
    for (int i = 0; i < 7; ++i)
        wizard->forward();
    onlyPage(ModelPage::InfluentConcentrations);
    dialogs.yesNo = {true};
    wizard->forward();
    QVERIFY(!wizard->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(window.isEnabled());
    QCOMPARE(QString::fromStdString(dialogs.messages.back()),
             QString::fromLatin1(kWizardFinishedMessage));
    QVERIFY(form.labelsEditableBox()->isEnabled());
    for (int p = 0; p < kModelPageCount; ++p)
        QVERIFY(form.pages()->isTabEnabled(p));

    // Saved through the shell, read back and saved again: the same bytes.
    window.runCommand("&Save Model");
    const fs::path saved = project / "heterotrophs.mod";
    QVERIFY(fs::exists(saved));
    Workspace loaded;
    ReadModelFile(saved, loaded.model, loaded.plant, loaded.state);
    const fs::path again = root / "again.mod";
    WriteModelFile(again, loaded.model);
    QCOMPARE(readBytes(again), readBytes(saved));
    QCOMPARE(loaded.model.NS, 3);
    QCOMPARE(loaded.model.NameS[2], std::string("S Substrate  COD"));
    QCOMPARE(loaded.model.Remarks[1], std::string("Growth of heterotrophs and their decay."));
    QCOMPARE(loaded.model.KS[2][2], 10.0);

    // A default activated-sludge plant relaxes with it: substrate is taken up, biomass grows.
    ApplyPlantType(TFlowschemeType::ftASR, loaded.model, loaded.plant, loaded.state, true);
    TSimSettings settings;
    Relaxation relaxation(loaded.model, loaded.plant, loaded.state, settings);
    RunControl control;
    const RunOutcome outcome = relaxation.run(control, DefaultRelaxationTimes(loaded.plant));
    QVERIFY(!outcome.stopped);
    for (int c = 1; c <= loaded.plant.ReactorCount; ++c) {
        QVERIFY(std::isfinite(loaded.state.S[c][2]));
        QVERIFY(loaded.state.S[c][2] < 300.0);
        QVERIFY(loaded.state.X[c][1] > 1.0);
    }
}

QTEST_MAIN(NewModelWizardWindowTest)
#include "NewModelWizardWindowTest.moc"
