#pragma once

// Helpers shared by the window tests: finding controls by their names, reading lists, and
// the texts of the message boxes shown.

#include "ui/message_box.h"

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QStringList>
#include <QtTest>

namespace siteherald::ui::testing {

// A control of the window `parent` itself; controls of its dialogs, which reuse names such as
// "Button4", are found from the dialog.
template <class T = QWidget> T* Find(const QObject* parent, const QString& name) {
    const auto* window = qobject_cast<const QWidget*>(parent);
    for (T* found : parent->findChildren<T*>(name)) {
        const auto* widget = qobject_cast<const QWidget*>(found);
        if (!window || !widget || widget->isWindow() || widget->window() == window ||
            !qobject_cast<const QDialog*>(widget->window()))
            return found;
    }
    qFatal("no control %s", qPrintable(name));
    return nullptr;
}

inline QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

inline QStringList Items(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

inline QStringList BoxTexts() {
    QStringList texts;
    for (const auto& shown : MessageBoxes::Log())
        texts << shown.text;
    return texts;
}

} // namespace siteherald::ui::testing
