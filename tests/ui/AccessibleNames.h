#pragma once

#include <QtGui/QAccessible>
#include <QtTest/QtTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QAbstractItemView>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>

namespace narv::test {

// The controls of a window that are visible and have no accessible name; screen readers and
// the end-to-end tests find controls by these names.
inline QStringList controlsWithoutAccessibleName(QWidget* window)
{
    QStringList missing;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const bool interactive = qobject_cast<QAbstractButton*>(control) != nullptr ||
                                 qobject_cast<QLineEdit*>(control) != nullptr ||
                                 qobject_cast<QAbstractItemView*>(control) != nullptr ||
                                 qobject_cast<QLabel*>(control) != nullptr ||
                                 qobject_cast<QComboBox*>(control) != nullptr ||
                                 qobject_cast<QPlainTextEdit*>(control) != nullptr;
        if (!interactive || !control->isVisibleTo(window))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        if (accessible == nullptr || accessible->text(QAccessible::Name).trimmed().isEmpty())
            missing.append(QString::fromLatin1(control->metaObject()->className()) + " " +
                           control->objectName());
    }
    return missing;
}

} // namespace narv::test
