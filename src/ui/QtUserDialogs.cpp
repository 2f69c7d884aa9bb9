#include "ui/QtUserDialogs.h"

#include "ui/ChooseProjectDialog.h"
#include "ui/DesktopFormat.h"

#include <QtWidgets/QFileDialog>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMessageBox>

namespace narv {
namespace {

QMessageBox::Icon qtIcon(UserDialogs::Icon icon)
{
    switch (icon) {
    case UserDialogs::Icon::Information:
        return QMessageBox::Information;
    case UserDialogs::Icon::Warning:
        return QMessageBox::Warning;
    case UserDialogs::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString captionOrTitle(const std::string& caption)
{
    return caption.empty() ? QStringLiteral("NARV") : ToQString(caption);
}

QMessageBox::StandardButton ask(QWidget* parent, const std::string& text,
                                const std::string& caption, UserDialogs::Icon icon,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(qtIcon(icon), captionOrTitle(caption), ToQString(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QFileDialog* fileDialog(QWidget* parent, const FileDialogOptions& options)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(QtNameFilter(options.filter));
    if (!options.startDirectory.empty())
        dialog->setDirectory(ToQString(options.startDirectory));
    if (!options.fileName.empty())
        dialog->selectFile(ToQString(options.fileName));
    return dialog;
}

std::optional<std::filesystem::path> runFileDialog(QFileDialog* dialog)
{
    std::optional<std::filesystem::path> chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = ToPath(dialog->selectedFiles().constFirst());
    delete dialog;
    return chosen;
}

} // namespace

QString QtNameFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    if (parts.size() < 2)
        return parts.constFirst();
    // "description|patterns" pairs, the patterns separated by ";".
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The program's own files are written in lower case, older ones may be upper case:
        // both.
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            for (const QString& variant : {trimmed.toLower(), trimmed.toUpper()})
                if (!patterns.contains(variant))
                    patterns << variant;
        }
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

void QtUserDialogs::showMessage(const std::string& text, const std::string& caption, Icon icon)
{
    ask(m_parent, text, caption, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtUserDialogs::askYesNo(const std::string& text, const std::string& caption, Icon icon)
{
    return ask(m_parent, text, caption, icon, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes) == QMessageBox::Yes;
}

UserDialogs::Answer QtUserDialogs::askYesNoCancel(const std::string& text,
                                                  const std::string& caption, Icon icon)
{
    switch (ask(m_parent, text, caption, icon,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel; // also closing the box
    }
}

bool QtUserDialogs::askOkCancel(const std::string& text, const std::string& caption, Icon icon)
{
    return ask(m_parent, text, caption, icon, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Ok) == QMessageBox::Ok;
}

std::optional<std::string> QtUserDialogs::askText(const std::string& caption,
                                                  const std::string& prompt,
                                                  const std::string& initial)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(ToQString(caption));
    dialog.setLabelText(ToQString(prompt));
    dialog.setTextValue(ToQString(initial));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToStdString(dialog.textValue());
}

std::optional<std::filesystem::path> QtUserDialogs::chooseOpenFile(const FileDialogOptions& options)
{
    QFileDialog* dialog = fileDialog(m_parent, options);
    dialog->setWindowTitle(QStringLiteral("Open"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(dialog);
}

std::vector<std::filesystem::path> QtUserDialogs::chooseOpenFiles(const FileDialogOptions& options)
{
    QFileDialog* dialog = fileDialog(m_parent, options);
    dialog->setWindowTitle(QStringLiteral("Open"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    std::vector<std::filesystem::path> files;
    if (dialog->exec() == QDialog::Accepted)
        for (const QString& file : dialog->selectedFiles())
            files.push_back(ToPath(file));
    delete dialog;
    return files;
}

std::optional<std::filesystem::path> QtUserDialogs::chooseSaveFile(const FileDialogOptions& options)
{
    QFileDialog* dialog = fileDialog(m_parent, options);
    dialog->setWindowTitle(QStringLiteral("Save As"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // Lower case: the project's files are found by their lower-case extensions on file
    // systems that tell case apart.
    if (!options.defaultExtension.empty())
        dialog->setDefaultSuffix(QString::fromStdString(options.defaultExtension).toLower());
    // Qt's save dialog asks before it overwrites an existing file.
    return runFileDialog(dialog);
}

std::optional<std::filesystem::path>
QtUserDialogs::chooseDirectory(const std::filesystem::path& start)
{
    QFileDialog dialog(m_parent, QStringLiteral("USER Directory"), ToQString(start));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToPath(dialog.selectedFiles().constFirst());
}

bool QtUserDialogs::chooseProject(ProjectChooser& chooser)
{
    ChooseProjectDialog dialog(chooser, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace narv
