#include "field_layout.h"

#include <algorithm>

namespace siteherald {

PlacedField FieldLayoutCursor::Place(const FieldDefinition& field) {
    PlacedField placed;
    int height = field.type == "M" ? kMemoHeight : kEditHeight;
    placed.top = rowTop_;
    if (field.width != "HALF") {
        placed.width = 428;
        placed.left = 86;
        placed.labelLeft = 14;
        rowTop_ += height + 3;
        columnState_ = 1;
    } else if (columnState_ != 2) {
        placed.width = 170;
        placed.left = 86;
        placed.labelLeft = 14;
        columnState_ = 2;
        firstHalfHeight_ = height;
    } else {
        placed.width = 170;
        placed.left = 344;
        placed.labelLeft = 270;
        height = std::max(height, firstHalfHeight_);
        rowTop_ += height + 3;
        columnState_ = 1;
    }
    placed.labelName = "Label" + std::to_string(labelCounter_++);
    placed.caption = field.name;
    placed.labelTop = placed.top + 5;
    placed.autoFill = field.autoFill;
    placed.defaultValue = field.defaultValue;
    if (field.type == "E") {
        placed.kind = PlacedField::Kind::Edit;
        placed.height = kEditHeight;
        placed.controlName =
            field.autoFill == "None" ? "Edit" + std::to_string(editCounter_) : field.autoFill;
        ++editCounter_;
    } else if (field.type == "M") {
        placed.kind = PlacedField::Kind::Memo;
        placed.height = kMemoHeight;
        placed.controlName =
            field.autoFill == "None" ? "Memo" + std::to_string(memoCounter_) : field.autoFill;
        ++memoCounter_;
    } else {
        placed.kind = PlacedField::Kind::LabelOnly;
    }
    return placed;
}

} // namespace siteherald
