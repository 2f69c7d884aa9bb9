#include "ui/help/AboutDialog.h"

#include "core/Version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

#include <fmt/core.h>
#ifdef NARV_LINKS_NLOHMANN_JSON
#include <nlohmann/json.hpp>
#endif
#ifdef NARV_LINKS_SUNDIALS
#include <sundials/sundials_config.h>
#endif

namespace narv {

namespace {

constexpr const char* kLicence = "NARV is free software under the MIT License.";

} // namespace

QList<LinkedLibrary> linkedLibraries()
{
    QList<LinkedLibrary> libraries;
    libraries.append({QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
                      QStringLiteral("windows, charts, pictures and this help")});
    libraries.append({QStringLiteral("{fmt}"),
                      QStringLiteral("%1.%2.%3")
                          .arg(FMT_VERSION / 10000)
                          .arg(FMT_VERSION / 100 % 100)
                          .arg(FMT_VERSION % 100),
                      QStringLiteral("number formatting")});
#ifdef NARV_LINKS_NLOHMANN_JSON
    libraries.append({QStringLiteral("nlohmann-json"),
                      QStringLiteral("%1.%2.%3")
                          .arg(NLOHMANN_JSON_VERSION_MAJOR)
                          .arg(NLOHMANN_JSON_VERSION_MINOR)
                          .arg(NLOHMANN_JSON_VERSION_PATCH),
                      QStringLiteral("JSON")});
#endif
    libraries.append({QStringLiteral("SimpleIni"), QString(), QStringLiteral("the settings file")});
#ifdef NARV_LINKS_SUNDIALS
    libraries.append({QStringLiteral("SUNDIALS"), QStringLiteral(SUNDIALS_VERSION),
                      QStringLiteral("the accurate solvers")});
#endif
    return libraries;
}

QString AboutDialog::text()
{
    QString libraries;
    for (const LinkedLibrary& library : linkedLibraries()) {
        libraries +=
            QStringLiteral("<li>%1%2: %3</li>")
                .arg(library.name.toHtmlEscaped(),
                     library.version.isEmpty() ? QString() : QLatin1Char(' ') + library.version,
                     library.purpose.toHtmlEscaped());
    }
    return QStringLiteral("<h2>NARV</h2>"
                          "<p>Version %1</p>"
                          "<p>Simulation of activated-sludge wastewater treatment plants.</p>"
                          "<p>%2</p>"
                          "<p>Built with these libraries:</p><ul>%3</ul>")
        .arg(QString::fromLatin1(ProgramVersionText), QString::fromLatin1(kLicence), libraries);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About NARV"));
    setObjectName(QStringLiteral("AboutDialog"));
    auto* label = new QLabel(text());
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace narv
