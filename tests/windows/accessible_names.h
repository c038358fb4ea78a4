// Walks a window through QAccessible as a screen reader does: every visible
// interactive control must have a name, and no two the same.
#pragma once

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMap>
#include <QSpinBox>
#include <QStringList>
#include <QWidget>

// The problems found: a control without a name, or a name two controls share.
inline QStringList accessibleNameProblems(QWidget *window)
{
    QStringList problems;
    QMap<QString, QString> seen; // name -> object name
    for (QWidget *w : window->findChildren<QWidget *>()) {
        const bool interactive = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
                                 qobject_cast<QAbstractSpinBox *>(w) ||
                                 (qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w->parentWidget()) &&
                                  !qobject_cast<QAbstractSpinBox *>(w->parentWidget()));
        if (!interactive || !w->isVisibleTo(window))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        if (name.isEmpty())
            problems << QStringLiteral("%1 has no name").arg(w->objectName());
        else if (seen.contains(name))
            problems << QStringLiteral("%1 and %2 are both \"%3\"").arg(seen.value(name), w->objectName(), name);
        else
            seen.insert(name, w->objectName());
    }
    return problems;
}
