#pragma once

#include "profiles.h"

#include <string>

namespace siteherald {

// Where a field of a profile goes in a field form, and what its controls are called.
struct PlacedField {
    enum class Kind { Edit, Memo, LabelOnly };
    std::string labelName;
    std::string caption;
    int labelLeft = 0;
    int labelTop = 0;
    Kind kind = Kind::Edit;
    std::string controlName; // the auto-fill identifier, or Edit<n> / Memo<n> for "None"
    std::string autoFill;
    std::string defaultValue;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Places fields one after another in rows: a whole-width field alone, half-width fields two
// to a row. Names are numbered from 10 in each form, so they are the same every time a
// profile is built.
class FieldLayoutCursor {
public:
    static constexpr int kEditHeight = 21;
    static constexpr int kMemoHeight = 49;

    PlacedField Place(const FieldDefinition& field);
    int rowTop() const { return rowTop_; }

private:
    int rowTop_ = 8;
    int columnState_ = 1;
    int labelCounter_ = 10;
    int editCounter_ = 10;
    int memoCounter_ = 10;
    int firstHalfHeight_ = 0;
};

} // namespace siteherald
