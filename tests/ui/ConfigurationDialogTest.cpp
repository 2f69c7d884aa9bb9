#include "RecordingDialogs.h"

#include "shell/SettingsFile.h"
#include "ui/ConfigurationDialog.h"

#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTabWidget>

using namespace narv;
using narv::test::RecordingDialogs;

namespace {

// Types text into a field as a user does: focus, select all, keys.
void type(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
}

} // namespace

class ConfigurationDialogTest : public QObject {
    Q_OBJECT
private slots:
    void leavingAFieldChecksIt_data();
    void leavingAFieldChecksIt();
    void enterMovesToTheNextField();
    void epsIsNeverAboveEps2();
    void okCopiesTheWorkingCopyCancelDoesNot();
    void defaultsTakeEffectAtOnce();
    void solverChoicesAndTolerances();
};

void ConfigurationDialogTest::leavingAFieldChecksIt_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<QString>("shown");
    QTest::newRow("Eps2 in range") << "Eps2"
                                   << "0.05"
                                   << ""
                                   << "0.05";
    QTest::newRow("Eps2 above 0.1") << "Eps2"
                                    << "0.5"
                                    << "Number should be between   0.00 and   0.10"
                                    << "0.1";
    QTest::newRow("comma") << "Tdif"
                           << "1,5"
                           << "Input isn't a valid number"
                           << "0.01";
    QTest::newRow("loops above 100") << "loops"
                                     << "250"
                                     << "Number should be between 1 and 100"
                                     << "10";
    QTest::newRow("exponent") << "ConcMin"
                              << "2e-6"
                              << ""
                              << "2e-06";
    QTest::newRow("pen width") << "DefaultPenWidth"
                               << "7"
                               << "Number should be between 1 and 5"
                               << "3";
    QTest::newRow("axis title") << "BottomAxisTitleCaption"
                                << "Time [d]"
                                << ""
                                << "Time [d]";
}

void ConfigurationDialogTest::leavingAFieldChecksIt()
{
    QFETCH(QString, key);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, shown);
    ShellSettings settings;
    RecordingDialogs dialogs;
    ConfigurationDialog dialog(settings, dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* field = dialog.field(key.toStdString());
    dialog.pages()->setCurrentIndex(key == "DefaultPenWidth" || key.startsWith("Bottom") ? 1 : 0);
    type(field, typed);
    QTest::keyClick(field, Qt::Key_Tab);
    if (message.isEmpty()) {
        QVERIFY(dialogs.messages.empty());
        QVERIFY(!field->hasFocus());
    } else {
        QCOMPARE(dialogs.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(dialogs.messages[0]), message);
        QVERIFY(field->hasFocus()); // the user stays in the field
    }
    QCOMPARE(field->text(), shown);
}

void ConfigurationDialogTest::enterMovesToTheNextField()
{
    ShellSettings settings;
    RecordingDialogs dialogs;
    ConfigurationDialog dialog(settings, dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    type(dialog.field("Eps2"), "0.08");
    QTest::keyClick(dialog.field("Eps2"), Qt::Key_Return);
    QVERIFY(dialog.field("Eps")->hasFocus());
    QVERIFY(dialog.isVisible()); // Enter pressed no button
    QCOMPARE(dialog.editor().simulation().Eps2, 0.08);
}

void ConfigurationDialogTest::epsIsNeverAboveEps2()
{
    ShellSettings settings;
    RecordingDialogs dialogs;
    ConfigurationDialog dialog(settings, dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    // Eps above the Eps2 being edited is refused when it is left...
    type(dialog.field("Eps2"), "0.05");
    QTest::keyClick(dialog.field("Eps2"), Qt::Key_Return);
    type(dialog.field("Eps"), "0.08");
    QTest::keyClick(dialog.field("Eps"), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(dialogs.messages.at(0)),
             QString("Number should be between   0.00 and   0.05"));
    QCOMPARE(dialog.field("Eps")->text(), QString("0.02"));
    // ...and an Eps2 lowered below Eps keeps the dialog open on Ok.
    type(dialog.field("Eps"), "0.04");
    QTest::keyClick(dialog.field("Eps"), Qt::Key_Return);
    type(dialog.field("Eps2"), "0.03");
    QTest::keyClick(dialog.field("Eps2"), Qt::Key_Return);
    dialogs.messages.clear();
    dialog.okButton()->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialogs.messages.size(), std::size_t(1));
    QVERIFY(dialog.field("Eps")->hasFocus());
    QCOMPARE(settings.simulation.Eps, 0.02); // nothing copied
    type(dialog.field("Eps"), "0.01");
    dialog.okButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(settings.simulation.Eps2, 0.03);
    QCOMPARE(settings.simulation.Eps, 0.01);
}

void ConfigurationDialogTest::okCopiesTheWorkingCopyCancelDoesNot()
{
    for (const bool ok : {true, false}) {
        ShellSettings settings;
        RecordingDialogs dialogs;
        ConfigurationDialog dialog(settings, dialogs);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.field("DeltMin")->text(), QString("0.0001"));
        type(dialog.field("DeltMin"), "1e-5");
        QTest::keyClick(dialog.field("DeltMin"), Qt::Key_Return);
        type(dialog.field("loopmin"), "20");
        dialog.stepByStep()->setChecked(true);
        (ok ? dialog.okButton() : dialog.cancelButton())->click();
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialogs.messages.empty());
        QCOMPARE(settings.simulation.DeltMin, ok ? 1e-5 : 1e-4);
        QCOMPARE(settings.simulation.DeltMinO2, ok ? 0.1 * 1e-5 : 0.1 * 1e-4);
        QCOMPARE(settings.simulation.loopmin, ok ? 20 : 10);
        QCOMPARE(settings.simulation.StepByStep, ok);
    }
}

void ConfigurationDialogTest::defaultsTakeEffectAtOnce()
{
    ShellSettings settings;
    settings.simulation.Eps2 = 0.07;
    settings.simulation.ConcMax = 1e50;
    settings.simulation.DeltMin = 2e-4;
    settings.DefaultPenWidth = 1;
    RecordingDialogs dialogs;
    ConfigurationDialog dialog(settings, dialogs);
    dialog.show();
    type(dialog.field("Tdif"), "0.5");
    dialog.defaultsButton()->click();
    QCOMPARE(dialog.field("Eps2")->text(), QString("0.1"));
    QCOMPARE(dialog.field("Tdif")->text(), QString("0.01"));
    QCOMPARE(dialog.field("ConcMax")->text(), QString("1e+100"));
    QCOMPARE(dialog.field("DefaultPenWidth")->text(), QString("3"));
    dialog.cancelButton()->click();
    // In force although the dialog was cancelled; DeltMin is no default value.
    QCOMPARE(settings.simulation.Eps2, 0.1);
    QCOMPARE(settings.simulation.Tdif, 0.01);
    QCOMPARE(settings.simulation.ConcMax, 1e100);
    QCOMPARE(settings.simulation.DeltMin, 2e-4);
    QCOMPARE(settings.DefaultPenWidth, 3);
}

// The lists show what is in force; picking a word and typing a tolerance reach the settings
// on Ok only; a tolerance out of range is refused like any field.
void ConfigurationDialogTest::solverChoicesAndTolerances()
{
    ShellSettings settings;
    settings.simulation.Steady = SteadyMethod::Newton;
    RecordingDialogs dialogs;
    ConfigurationDialog dialog(settings, dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QComboBox* solver = dialog.choice("Solver");
    QComboBox* steady = dialog.choice("SteadyState");
    QCOMPARE(solver->currentText(), QString("legacy"));
    QCOMPARE(steady->currentText(), QString("newton"));
    QCOMPARE(solver->count(), 2);
    QVERIFY(!solver->accessibleName().isEmpty());
    QCOMPARE(dialog.field("RelTol")->text(), QString("1e-06"));

    solver->setCurrentIndex(solver->findText("cvode"));
    steady->setCurrentIndex(steady->findText("relax"));
    type(dialog.field("RelTol"), "0.5");
    QTest::keyClick(dialog.field("RelTol"), Qt::Key_Return);
    QCOMPARE(dialogs.messages.size(), std::size_t(1));
    QCOMPARE(dialog.field("RelTol")->text(), QString("1e-06"));
    type(dialog.field("RelTol"), "1e-8");
    type(dialog.field("AbsTol"), "1e-10");
    QCOMPARE(settings.simulation.Solver, IntegratorChoice::Legacy); // not yet in force
    dialog.okButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(settings.simulation.Solver, IntegratorChoice::Cvode);
    QCOMPARE(settings.simulation.Steady, SteadyMethod::Relax);
    QCOMPARE(settings.simulation.RelTol, 1e-8);
    QCOMPARE(settings.simulation.AbsTol, 1e-10);

    // Set Default Values brings the legacy solvers back into force and into the lists.
    ConfigurationDialog again(settings, dialogs);
    QCOMPARE(again.choice("Solver")->currentText(), QString("cvode"));
    again.defaultsButton()->click();
    QCOMPARE(again.choice("Solver")->currentText(), QString("legacy"));
    QCOMPARE(settings.simulation.Solver, IntegratorChoice::Legacy);
    QCOMPARE(again.field("AbsTol")->text(), QString("1e-08"));
}

QTEST_MAIN(ConfigurationDialogTest)
#include "ConfigurationDialogTest.moc"
