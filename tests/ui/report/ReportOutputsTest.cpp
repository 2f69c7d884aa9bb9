#include "AccessibleNames.h"
#include "model/ModelFile.h"
#include "plant/PlantFile.h"
#include "shell/Workspace.h"
#include "ui/report/PrintOptionsDialog.h"
#include "ui/report/ReportOutputs.h"
#include "ui/report/ReportPrinting.h"
#include "ui/report/ReportWindow.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtGui/QFontInfo>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

#include <filesystem>

using namespace narv;

namespace {

// The benchmark example: model and plant.
struct Example {
    Workspace workspace;
    Example()
    {
        const auto dir = std::filesystem::path(NARV_SOURCE_DIR) / "examples" / "asm1-benchmark";
        ReadModelFile(dir / "asm1-benchmark.mod", workspace.model, workspace.plant,
                      workspace.state);
        ReadPlantFile(dir / "asm1-benchmark.pln", workspace.model, workspace.plant,
                      workspace.state);
    }
    ReportInput input() const
    {
        return {workspace.model, workspace.plant, workspace.state, "user/asm1-benchmark"};
    }
};

int accept(QDialog&)
{
    return QDialog::Accepted;
}

} // namespace

class ReportOutputsTest : public QObject {
    Q_OBJECT
private slots:
    void optionsDialogCaptionsAndStates_data();
    void optionsDialogCaptionsAndStates();
    void onlyOkConfirmsTheOptions();
    void windowShowsTheReportInAFixedPitchFont();
    void printsTheBenchmarkReportToPdf();
};

void ReportOutputsTest::optionsDialogCaptionsAndStates_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<bool>("plantLoaded");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("group");
    QTest::newRow("window") << int(ReportDestination::Window) << true << "Show Options"
                            << "Check to show / uncheck to disgard ";
    QTest::newRow("printer") << int(ReportDestination::Printer) << false << "Print Options"
                             << "Check to print / uncheck to disgard ";
    QTest::newRow("file") << int(ReportDestination::TextFile) << false << "Write Options"
                          << "Check to write in file / uncheck to disgard ";
}

void ReportOutputsTest::optionsDialogCaptionsAndStates()
{
    QFETCH(int, destination);
    QFETCH(bool, plantLoaded);
    QFETCH(QString, caption);
    QFETCH(QString, group);
    PrintOptionsDialog dialog(static_cast<ReportDestination>(destination), plantLoaded);
    QCOMPARE(dialog.windowTitle(), caption);
    QCOMPARE(dialog.group()->title(), group);
    QStringList order;
    for (QCheckBox* box : dialog.group()->findChildren<QCheckBox*>())
        order.append(box->objectName());
    QCOMPARE(order, QStringList({"ckRemarks", "ckSpecieS", "ckSpecieX", "ckProcesses",
                                 "ckStoichS", "ckStoichX", "ckKinetics", "ckPlant", "ckControl",
                                 "ckState"}));
    for (const char* plantBox : {"ckPlant", "ckControl"}) {
        QCOMPARE(dialog.checkBox(plantBox)->isChecked(), plantLoaded);
        QCOMPARE(dialog.checkBox(plantBox)->isEnabled(), plantLoaded);
    }
    QCOMPARE(dialog.checkBox("ckState")->isChecked(), plantLoaded);
    QVERIFY(dialog.checkBox("ckKinetics")->isChecked());
    dialog.checkBox("ckKinetics")->click();
    QVERIFY(!dialog.options().Kinetics);
    QVERIFY(dialog.options().Remarks);
}

void ReportOutputsTest::onlyOkConfirmsTheOptions()
{
    ReportOutputs outputs(nullptr);
    outputs.setDialogRunner([](QDialog& dialog) {
        auto* options = qobject_cast<PrintOptionsDialog*>(&dialog);
        options->checkBox("ckRemarks")->click();
        return int(QDialog::Rejected);
    });
    QVERIFY(!outputs.chooseOptions(ReportDestination::TextFile, true));
    // Shown again, the dialog starts from its initial states.
    outputs.setDialogRunner([](QDialog& dialog) {
        auto* options = qobject_cast<PrintOptionsDialog*>(&dialog);
        options->okButton()->click();
        return dialog.result();
    });
    const auto chosen = outputs.chooseOptions(ReportDestination::TextFile, true);
    QVERIFY(chosen);
    QVERIFY(chosen->Remarks);
}

void ReportOutputsTest::windowShowsTheReportInAFixedPitchFont()
{
    Example example;
    ReportOutputs outputs(nullptr);
    const TPrintOptions options = InitialPrintOptions(true);
    outputs.show(example.input(), options);
    ReportWindow* window = outputs.window();
    QVERIFY(window != nullptr && window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Show Model and Plant"));
    QPlainTextEdit* text = window->text();
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(QFontInfo(text->font()).fixedPitch());
    const auto lines = BuildReportLines(example.input(), options, 5);
    const QStringList shown = text->toPlainText().split('\n');
    QCOMPARE(shown.size(), static_cast<qsizetype>(lines.size()) + 1);
    for (std::size_t i = 0; i < lines.size(); ++i)
        QCOMPARE(shown[static_cast<qsizetype>(i)].toStdString(), lines[i]);
    QVERIFY(shown[1].startsWith("     Name of the model: "));
    const int widthOfH = QFontMetrics(text->font()).horizontalAdvance('H');
    QVERIFY(window->width() <= 85 * widthOfH);
    QCOMPARE(test::controlsWithoutAccessibleName(window), QStringList());
    PrintOptionsDialog dialog(ReportDestination::Window, true);
    dialog.show();
    QCOMPARE(test::controlsWithoutAccessibleName(&dialog), QStringList());
}

void ReportOutputsTest::printsTheBenchmarkReportToPdf()
{
    Example example;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("asm1-benchmark.pdf");
    ReportOutputs outputs(nullptr);
    outputs.printer().setOutputFormat(QPrinter::PdfFormat);
    outputs.printer().setOutputFileName(pdf);
    int run = 0;
    outputs.setDialogRunner([&](QDialog& dialog) {
        ++run;
        return accept(dialog);
    });
    QVERIFY(outputs.print(example.input(), InitialPrintOptions(true)));
    QCOMPARE(run, 1);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // The whole benchmark report takes several pages of size-6 text.
    const auto pages = bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r");
    QVERIFY2(pages > 1, QByteArray::number(pages).constData());

    // A cancelled print dialog prints nothing.
    outputs.setDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    QVERIFY(!outputs.print(example.input(), InitialPrintOptions(true)));
}

QTEST_MAIN(ReportOutputsTest)
#include "ReportOutputsTest.moc"
