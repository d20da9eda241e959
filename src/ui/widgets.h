#pragma once

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

} // namespace siteherald::ui
