#include "ui/QtRunControl.h"

#include <QtCore/QTimer>
#include <QtTest/QtTest>

#include <string>
#include <vector>

using namespace narv;

class QtRunControlTest : public QObject {
    Q_OBJECT
private slots:
    void aPausedStepWaitsForContinueOrStop();
    void progressGoesToTheWindow();
};

void QtRunControlTest::aPausedStepWaitsForContinueOrStop()
{
    QtRunControl control;
    // The buttons are pressed while the run waits in the pause.
    QTimer::singleShot(10, [&control] {
        QVERIFY(control.paused());
        control.continueRun();
    });
    control.pauseAfterStep();
    QVERIFY(!control.paused());
    QVERIFY(!control.stopRequested());

    QTimer::singleShot(10, [&control] { control.requestStop(); });
    control.pauseAfterStep();
    QVERIFY(control.stopRequested());
    control.reset();
    QVERIFY(!control.stopRequested());
}

void QtRunControlTest::progressGoesToTheWindow()
{
    std::vector<std::string> shown;
    QtRunControl control([&shown](const std::string& text) { shown.push_back(text); });
    QVERIFY(control.wantsProgress());
    control.progress("Integration stands at   0.500 of 1 d");
    QCOMPARE(shown.size(), std::size_t(1));
    QVERIFY(!QtRunControl().wantsProgress());
}

QTEST_MAIN(QtRunControlTest)
#include "QtRunControlTest.moc"
