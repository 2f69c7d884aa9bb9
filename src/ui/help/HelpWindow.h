#pragma once

#include "ui/help/Help.h"

#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

namespace narv {

// Shows the pages of a help collection: a text browser that reads its pages from the engine.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(QHelpEngine& engine, QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QHelpEngine& m_engine;
    QUrl m_page;
};

// The window "NARV Help": the user guide with its contents, index and full-text search on
// tabs beside the page.
class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // collectionFile: a Qt help collection (*.qhc). Check valid() before showing the window.
    explicit HelpWindow(const QString& collectionFile, QWidget* parent = nullptr);
    ~HelpWindow() override;

    bool valid() const { return m_valid; }
    // Why the collection could not be opened.
    const QString& error() const { return m_error; }

    void showTab(HelpTab tab);
    // The page of a topic (see showHelpTopic); an empty URL when no page matches.
    QUrl topicUrl(const QString& topic) const;
    // Shows the topic's page, or the first page of the guide when no page matches. False
    // when no page matched.
    bool showTopic(const QString& topic);
    void showPage(const QUrl& url);

    HelpTab currentTab() const;
    HelpBrowser* browser() const { return m_browser; }
    QHelpEngine* engine() const { return m_engine; }

private:
    void buildIndexTab(QTabWidget* tabs);
    void buildFindTab(QTabWidget* tabs);
    QUrl firstPage() const;

    QHelpEngine* m_engine = nullptr;
    HelpBrowser* m_browser = nullptr;
    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    bool m_valid = false;
    bool m_searchIndexed = false;
    QString m_error;
};

} // namespace narv
