#pragma once

// The data files and combo-box helpers shared by the main window and its tabs.
#include "text_codec.h"

#include <QComboBox>
#include <string>
#include <vector>

namespace siteherald::ui {

inline constexpr const char* kLayoutFile = "filelay.dat";
inline constexpr const char* kProfsFile = "profs.dat";
inline constexpr const char* kEngineFile = "sedata.dat";

inline QComboBox* Combo(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(12);
    return combo;
}

// Fills a combo box without running its change handler.
inline void SetItems(QComboBox* combo, const std::vector<std::string>& items) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(FromBytes(item));
}

inline void SelectQuietly(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

inline int IndexOfExact(const QComboBox* combo, const QString& text) {
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text)
            return i;
    return -1;
}

} // namespace siteherald::ui
