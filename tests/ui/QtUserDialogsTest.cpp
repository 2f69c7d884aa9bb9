#include "ui/QtUserDialogs.h"
#include "ui/DesktopFormat.h"

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>

#include <functional>

using namespace narv;

namespace {

// Runs inspect on the modal window that the next call opens, once it is up.
void whenModal(std::function<void(QWidget*)> inspect)
{
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        inspect(modal);
    });
}

} // namespace

class QtUserDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void messageBoxesShowTheShellsTextsCaptionsAndButtons();
    void theInputDialogIsPrefilled();
    void saveDialogsAddTheExtensionInTheStartDirectory();
    void filtersMatchTheirPatternInAnyCase();
};

void QtUserDialogsTest::messageBoxesShowTheShellsTextsCaptionsAndButtons()
{
    QtUserDialogs dialogs(nullptr);
    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QString("NARV"));
        QCOMPARE(box->text(), QString("Project directory already exists!\nData will be saved."));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.showMessage("Project directory already exists!\n\rData will be saved.", {},
                        UserDialogs::Icon::Information);

    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QString("Save Model"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->buttons().size(), 3);
        QVERIFY(box->button(QMessageBox::Cancel) != nullptr);
        box->button(QMessageBox::No)->click();
    });
    QCOMPARE(dialogs.askYesNoCancel("Model m already exists in d.\n\rDo you want to overwrite it?",
                                    "Save Model", UserDialogs::Icon::Warning),
             UserDialogs::Answer::No);

    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QString("Warning!"));
        QVERIFY(box->button(QMessageBox::Ok) != nullptr);
        box->button(QMessageBox::Cancel)->click();
    });
    QVERIFY(!dialogs.askOkCancel("Could not create project directory.", "Warning!",
                                 UserDialogs::Icon::Warning));
}

void QtUserDialogsTest::theInputDialogIsPrefilled()
{
    QtUserDialogs dialogs(nullptr);
    whenModal([](QWidget* modal) {
        auto* input = qobject_cast<QInputDialog*>(modal);
        QVERIFY(input != nullptr);
        QCOMPARE(input->windowTitle(), QString("New Project"));
        QCOMPARE(input->labelText(), QString("Please input project directory name:"));
        QCOMPARE(input->textValue(), QString("alpha"));
        input->setTextValue("beta");
        input->accept();
    });
    QCOMPARE(dialogs.askText("New Project", "Please input project directory name:", "alpha"),
             std::optional<std::string>("beta"));
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QCOMPARE(dialogs.askText("New Model", "name:", ""), std::optional<std::string>());
}

void QtUserDialogsTest::saveDialogsAddTheExtensionInTheStartDirectory()
{
    QTemporaryDir dir;
    QtUserDialogs dialogs(nullptr);
    whenModal([&dir](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY(files != nullptr);
        QCOMPARE(files->directory().absolutePath(), QDir(dir.path()).absolutePath());
        QCOMPARE(files->nameFilters(), QStringList{"Model files (*.mod *.MOD)"});
        QCOMPARE(files->defaultSuffix(), QString("mod"));
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name != nullptr);
        QCOMPARE(name->text(), QString("alpha"));
        name->setText("beta");
        QMetaObject::invokeMethod(files, "accept");
    });
    const auto chosen =
        dialogs.chooseSaveFile({"Model files (*.mod)|*.mod", "MOD", ToPath(dir.path()), "alpha"});
    QVERIFY(chosen.has_value());
    QCOMPARE(ToQString(chosen->filename()), QString("beta.mod"));
}

void QtUserDialogsTest::filtersMatchTheirPatternInAnyCase()
{
    QCOMPARE(QtNameFilter("Plant files (*.pln)|*.PLN"), QString("Plant files (*.pln *.PLN)"));
    QCOMPARE(QtNameFilter("Result files (*.rlt)|*.RLT"), QString("Result files (*.rlt *.RLT)"));
    QCOMPARE(QtNameFilter("All (*)|*"), QString("All (*)"));
    QCOMPARE(QtNameFilter("Bitmap files (*.bmp)|*.BMP|PNG files (*.png)|*.PNG"),
             QString("Bitmap files (*.bmp *.BMP);;PNG files (*.png *.PNG)"));
    QCOMPARE(QtNameFilter("Data files (*.txt,*.prn,*.dat,*.?)|*.TXT;*.PRN;*.DAT;*.?| All files "
                          "(*.*)|*.*"),
             QString("Data files (*.txt *.TXT *.prn *.PRN *.dat *.DAT *.?);;All files (*.*)"));
}

QTEST_MAIN(QtUserDialogsTest)
#include "QtUserDialogsTest.moc"
