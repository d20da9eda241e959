#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace siteherald::ui {

// The order of the sorted lists: without regard to case, ties by the exact text.
inline bool SortsBefore(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

// Inserts at the item's place in a sorted list; returns its row.
inline int InsertSorted(QListWidget* list, const QString& text) {
    int row = 0;
    while (row < list->count() && !SortsBefore(text, list->item(row)->text()))
        ++row;
    list->insertItem(row, text);
    return row;
}

inline int InsertSorted(QComboBox* combo, const QString& text) {
    int row = 0;
    while (row < combo->count() && !SortsBefore(text, combo->itemText(row)))
        ++row;
    combo->insertItem(row, text);
    return row;
}

} // namespace siteherald::ui
