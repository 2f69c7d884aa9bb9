#include "ui/help/HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace narv {

HelpBrowser::HelpBrowser(QHelpEngine& engine, QWidget* parent)
    : QTextBrowser(parent), m_engine(engine)
{
    setAccessibleName(QStringLiteral("Help page"));
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    // Pages name their style sheet and pictures relative to themselves.
    const QUrl url = name.isRelative() ? m_page.resolved(name) : name;
    if (url.scheme() == QLatin1String("qthelp"))
        return m_engine.fileData(url);
    return QTextBrowser::loadResource(type, name);
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    // The page being loaded: its style sheet is asked for before source() names it.
    m_page = name.isRelative() ? m_page.resolved(name) : name;
    QTextBrowser::doSetSource(name, type);
}

HelpWindow::HelpWindow(const QString& collectionFile, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("NARV Help"));
    setObjectName(QStringLiteral("HelpWindow"));
    // Beside the main window rather than over all of it, on small screens too.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1000, screen.width() * 3 / 4), std::min(700, screen.height() * 4 / 5));

    if (!QFileInfo::exists(collectionFile)) {
        m_error = QStringLiteral("The help file %1 is missing.").arg(collectionFile);
        return;
    }
    m_engine = new QHelpEngine(collectionFile, this);
    m_engine->setUsesFilterEngine(true);
    if (!m_engine->setupData() || m_engine->registeredDocumentations().isEmpty()) {
        m_error = QStringLiteral("The help file %1 could not be read. %2")
                      .arg(collectionFile, m_engine->error());
        return;
    }
    m_valid = true;

    m_browser = new HelpBrowser(*m_engine);
    m_tabs = new QTabWidget;
    m_tabs->setAccessibleName(QStringLiteral("Help navigation"));

    QHelpContentWidget* contents = m_engine->contentWidget();
    contents->setAccessibleName(QStringLiteral("Contents"));
    m_tabs->addTab(contents, QStringLiteral("Contents"));
    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpWindow::showPage);
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, contents,
            [contents] { contents->expandToDepth(0); });
    buildIndexTab(m_tabs);
    buildFindTab(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        // The full-text index is built once, when the search is first wanted.
        if (currentTab() == HelpTab::Find && !m_searchIndexed) {
            m_searchIndexed = true;
            m_engine->searchEngine()->scheduleIndexDocumentation();
        }
    });

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({300, 700});
    splitter->setContentsMargins(4, 4, 4, 4);
    setCentralWidget(splitter);

    showPage(firstPage());
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::buildIndexTab(QTabWidget* tabs)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(QStringLiteral("&Look for:"));
    m_indexFilter = new QLineEdit;
    m_indexFilter->setAccessibleName(QStringLiteral("Look for:"));
    label->setBuddy(m_indexFilter);
    QHelpIndexWidget* index = m_engine->indexWidget();
    index->setAccessibleName(QStringLiteral("Index"));
    layout->addWidget(label);
    layout->addWidget(m_indexFilter);
    layout->addWidget(index);
    connect(m_indexFilter, &QLineEdit::textChanged, index,
            [index](const QString& text) { index->filterIndices(text); });
    connect(m_indexFilter, &QLineEdit::returnPressed, index,
            &QHelpIndexWidget::activateCurrentItem);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& document, const QString&) { showPage(document.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents, const QString&) {
                if (!documents.isEmpty())
                    showPage(documents.first().url);
            });
    tabs->addTab(page, QStringLiteral("Index"));
}

void HelpWindow::buildFindTab(QTabWidget* tabs)
{
    QHelpSearchEngine* search = m_engine->searchEngine();
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QHelpSearchQueryWidget* query = search->queryWidget();
    query->setAccessibleName(QStringLiteral("Search for:"));
    QHelpSearchResultWidget* results = search->resultWidget();
    results->setAccessibleName(QStringLiteral("Search results"));
    layout->addWidget(query);
    layout->addWidget(results, 1);
    connect(query, &QHelpSearchQueryWidget::search, search,
            [search, query] { search->search(query->searchInput()); });
    connect(results, &QHelpSearchResultWidget::requestShowLink, this, &HelpWindow::showPage);
    tabs->addTab(page, QStringLiteral("Find"));
}

HelpTab HelpWindow::currentTab() const
{
    switch (m_tabs ? m_tabs->currentIndex() : 0) {
    case 1:
        return HelpTab::Index;
    case 2:
        return HelpTab::Find;
    default:
        return HelpTab::Contents;
    }
}

void HelpWindow::showTab(HelpTab tab)
{
    if (!m_valid)
        return;
    switch (tab) {
    case HelpTab::Contents:
        m_tabs->setCurrentIndex(0);
        break;
    case HelpTab::Index:
        m_tabs->setCurrentIndex(1);
        m_indexFilter->setFocus();
        break;
    case HelpTab::Find:
        m_tabs->setCurrentIndex(2);
        m_engine->searchEngine()->queryWidget()->setFocus();
        break;
    }
}

QUrl HelpWindow::topicUrl(const QString& topic) const
{
    if (!m_valid)
        return {};
    QString identifier = topic.trimmed().toLower();
    identifier.replace(QLatin1Char(' '), QLatin1Char('-'));
    for (const QList<QHelpLink>& links :
         {m_engine->documentsForIdentifier(topic), m_engine->documentsForKeyword(topic),
          m_engine->documentsForIdentifier(identifier)}) {
        if (!links.isEmpty())
            return links.first().url;
    }
    return {};
}

QUrl HelpWindow::firstPage() const
{
    const QList<QHelpLink> links = m_engine->documentsForIdentifier(QStringLiteral("index"));
    return links.isEmpty() ? QUrl() : links.first().url;
}

bool HelpWindow::showTopic(const QString& topic)
{
    const QUrl url = topicUrl(topic);
    showPage(url.isEmpty() ? firstPage() : url);
    return !url.isEmpty();
}

void HelpWindow::showPage(const QUrl& url)
{
    if (m_valid && url.isValid())
        m_browser->setSource(url);
}

} // namespace narv
