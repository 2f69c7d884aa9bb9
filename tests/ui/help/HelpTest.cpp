#include "shell/ActionTable.h"
#include "shell/EventList.h"
#include "ui/help/AboutDialog.h"
#include "ui/help/EventsWindow.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHelpEngine>
#include <QHelpSearchEngine>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace narv {
namespace {

// The help window works on a copy of the built collection: its search index is written
// beside the collection, and parallel test programs must not share it.
class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"narv-help.qhc", "narv-help.qch"}) {
            const QString source =
                QDir(QStringLiteral(NARV_HELP_DIR)).filePath(QString::fromLatin1(name));
            ASSERT_TRUE(QFile::copy(source, m_dir.filePath(QString::fromLatin1(name)))) << name;
        }
        m_window = std::make_unique<HelpWindow>(m_dir.filePath(QStringLiteral("narv-help.qhc")));
        ASSERT_TRUE(m_window->valid()) << m_window->error().toStdString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<HelpWindow> m_window;
};

TEST_F(HelpWindowTest, TopicsByTitleKeywordOrPageName)
{
    const struct {
        const char* topic;
        const char* page; // empty: no page
    } cases[] = {
        {"First Steps", "first-steps.html"}, // the start dialog's button
        {"first-steps", "first-steps.html"}, // the page name
        {"start", "first-steps.html"},       // the start dialog's "Help": a section's topic
        {"Relaxation", "runs.html"},         // an index keyword
        {"Choose Project", "projects.html"}, // a keyword of a page
        {"Windows and Their Captions", "windows.html"},
        {"no such topic", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.topic);
        const QUrl url = m_window->topicUrl(QString::fromLatin1(c.topic));
        EXPECT_EQ(url.fileName().toStdString(), c.page);
    }
}

TEST_F(HelpWindowTest, ShowsThePageOfATopicAndTheFirstPageForAnUnknownOne)
{
    EXPECT_TRUE(m_window->showTopic(QStringLiteral("First Steps")));
    EXPECT_EQ(m_window->browser()->documentTitle(), QStringLiteral("First Steps"));
    EXPECT_TRUE(m_window->browser()->toPlainText().contains(QStringLiteral("Welcome to NARV")));

    EXPECT_FALSE(m_window->showTopic(QStringLiteral("no such topic")));
    EXPECT_EQ(m_window->browser()->documentTitle(), QStringLiteral("NARV User Guide"));
}

TEST_F(HelpWindowTest, HelpCommandsOpenTheirTab)
{
    for (HelpTab tab : {HelpTab::Index, HelpTab::Find, HelpTab::Contents}) {
        m_window->showTab(tab);
        EXPECT_EQ(m_window->currentTab(), tab);
    }
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("NARV Help"));
}

TEST_F(HelpWindowTest, FullTextSearchFindsPages)
{
    // The engine builds its full-text index in the background, once on its own and again when
    // asked: search until a search runs on a finished index.
    QHelpSearchEngine* search = m_window->engine()->searchEngine();
    search->reindexDocumentation();
    int found = 0;
    for (int attempt = 0; attempt < 100 && found == 0; ++attempt) {
        QSignalSpy searched(search, &QHelpSearchEngine::searchingFinished);
        search->search(QStringLiteral("supernatant"));
        if (searched.count() == 0)
            searched.wait(5000);
        found = search->searchResultCount();
        if (found == 0)
            QTest::qWait(100);
    }
    ASSERT_GT(found, 0);
    bool sbrPage = false;
    for (const QHelpSearchResult& result : search->searchResults(0, found))
        sbrPage = sbrPage || result.url().fileName() == QStringLiteral("sbr.html");
    EXPECT_TRUE(sbrPage);
}

TEST(HelpWindow, MissingCollectionIsReportedByName)
{
    HelpWindow window(QStringLiteral("/nonexistent/narv-help.qhc"));
    EXPECT_FALSE(window.valid());
    EXPECT_TRUE(window.error().contains(QStringLiteral("/nonexistent/narv-help.qhc")));
    window.showTab(HelpTab::Index); // does nothing, and does not crash
}

// The guide's menu tables must follow the menus: an item renamed or added without its line
// in the guide fails here.
TEST(UserGuide, DescribesEveryMenuItem)
{
    std::ifstream in(NARV_SOURCE_DIR "/docs/help/main-window.html");
    ASSERT_TRUE(in) << "main-window.html";
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string guide = buffer.str();
    const ActionTable table(true);
    for (const auto& [menu, items] : table.menus()) {
        for (std::string item : items) {
            std::erase(item, '&');
            while (!item.empty() && item.back() == ' ')
                item.pop_back();
            if (item.ends_with("..."))
                item.resize(item.size() - 3);
            EXPECT_NE(guide.find(item), std::string::npos) << menu << ": " << item;
        }
    }
    for (const auto& [menu, items] : table.menus()) {
        for (const std::string& item : items) {
            if (!table[item].shortcut.empty()) {
                EXPECT_NE(guide.find(table[item].shortcut), std::string::npos) << item;
            }
        }
    }
}

TEST(AboutDialog, NamesProgramVersionLicenceAndLibraries)
{
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About NARV"));
    const QString text = AboutDialog::text();
    EXPECT_TRUE(text.contains(QStringLiteral("Version 1.")));
    EXPECT_TRUE(text.contains(QStringLiteral("Licen")));
    QStringList names;
    for (const LinkedLibrary& library : linkedLibraries()) {
        names.append(library.name);
        EXPECT_TRUE(text.contains(library.name.toHtmlEscaped())) << library.name.toStdString();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("Qt")));
    EXPECT_TRUE(names.contains(QStringLiteral("{fmt}")));
    EXPECT_TRUE(names.contains(QStringLiteral("SimpleIni")));
    // Every build links the accurate solvers; the box once missed them because the walk over
    // the link closure stopped early.
    EXPECT_TRUE(names.contains(QStringLiteral("SUNDIALS")));
}

TEST(EventsWindow, ShowsClearsAndCopiesTheEvents)
{
    EventList events;
    EventsWindow window(events);
    events.add(CellEventLine("10:15:02", 2, 3, "sg_inflowsExitCell", "1.2"));
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Events"));
    EXPECT_EQ(window.view()->toPlainText(),
              QStringLiteral("10:15:02: Col:2/Row:3: sg_inflowsExitCell: 1.2"));

    events.add("second");
    EXPECT_TRUE(window.view()->toPlainText().endsWith(QStringLiteral("\nsecond")));

    QPushButton* copy = nullptr;
    QPushButton* clear = nullptr;
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == QStringLiteral("Copy to Clipboard"))
            copy = button;
        if (button->text() == QStringLiteral("Clear"))
            clear = button;
    }
    ASSERT_TRUE(copy && clear);
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("10:15:02: Col:2/Row:3: sg_inflowsExitCell: 1.2\r\nsecond\r\n"));
    clear->click();
    EXPECT_TRUE(events.lines().empty());
    EXPECT_TRUE(window.view()->toPlainText().isEmpty());
}

} // namespace
} // namespace narv

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
