#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace siteherald::ui {

// A push button with its object name (tests find controls by name) and its hint.
inline QPushButton* NamedButton(const QString& name, const QString& caption, const QString& hint,
                                QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

inline QLineEdit* NamedEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

// An Enter or Return key press, which the dialogs take as a press of their main button.
inline bool IsEnterPress(const QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace siteherald::ui
