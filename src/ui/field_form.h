#pragma once

#include "core/field_layout.h"
#include "core/submission_file.h"

#include <QScrollArea>
#include <vector>

namespace siteherald::ui {

// The labels and entry controls of a profile, placed in a scroll box. Entry controls are
// named after their field's auto-fill identifier (or Edit<n> / Memo<n>), in field order.
class FieldForm : public QScrollArea {
    Q_OBJECT
public:
    // mainForm: memos without word wrap and edits reported through changed(); the profile
    // editor's preview has word wrap on and tracks nothing.
    explicit FieldForm(bool mainForm, QWidget* parent = nullptr);

    void Clear();
    void AddField(const FieldDefinition& field);

    // The entry controls in order, with their values.
    std::vector<FieldValue> Values() const;
    // Fills the entry controls from values matched by position and name; others are emptied.
    void SetValues(const std::vector<FieldValue>& values);
    int fieldCount() const { return static_cast<int>(entries_.size()); }
    // Gives every entry control named `name` the lines: a multi-line control as its lines, a
    // single-line one all on one line, each line followed by a space; with `single`, the one
    // value as it is. Returns whether a control took it.
    bool SetEntryLines(const std::string& name, const std::vector<std::string>& lines,
                       bool single = false);

signals:
    void changed();

private:
    bool mainForm_;
    QWidget* canvas_;
    FieldLayoutCursor cursor_;
    std::vector<QWidget*> entries_;
    int canvasHeight_ = 0;
};

} // namespace siteherald::ui
