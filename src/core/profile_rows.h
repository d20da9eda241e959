#pragma once

#include "line_file.h"
#include "profiles.h"

#include <string>
#include <vector>

namespace siteherald {

// One row as the profile editor's boxes hold it: field one, and field two when the row is of
// two half-width fields. Types are "Edit" or "Memo"; identifiers "None" or an auto-fill name.
struct RowInput {
    std::string type1 = "Edit", name1, default1, autoFill1 = "None";
    bool halfSize = true;
    std::string type2 = "Edit", name2, default2, autoFill2 = "None";
};

// Why the row cannot be stored, or empty when it can. The checks run in a fixed order and
// the first failure is the one reported.
std::string RowProblem(const RowInput& row);

// The row's field definitions, as stored between its row markers.
LineList RowDefinitions(const RowInput& row);

// The profile's rows are the row markers ("1", "2", ...) around the field definitions of each
// row. Every function keeps `freeAutoFills` (the identifiers the profile does not use)
// sorted without regard to case.

// Appends row `number` and takes its identifiers out of the free ones.
void AddRow(LineList& rows, int number, const RowInput& row,
            std::vector<std::string>& freeAutoFills);
// Replaces the fields of row `number`; false when the row is not there.
bool EditRow(LineList& rows, int number, const RowInput& row,
             std::vector<std::string>& freeAutoFills);
// Removes row `number` and numbers the later rows one lower; its identifiers become free.
void RemoveRow(LineList& rows, int number, std::vector<std::string>& freeAutoFills);

// The field definitions of row `number` (empty when it is not there).
std::vector<FieldDefinition> RowFields(const LineList& rows, int number);
int RowCount(const LineList& rows);

// Frees or takes an identifier ("None" is never listed).
void FreeAutoFill(std::vector<std::string>& freeAutoFills, const std::string& identifier);
void TakeAutoFill(std::vector<std::string>& freeAutoFills, const std::string& identifier);

// The editor's row list after removing entry `index`: each later entry keeps its "Row n:"
// and takes the names of the entry below it; the last entry goes.
void ShiftRowList(std::vector<std::string>& entries, size_t index);

// "Row n: " + the names of field one and, for a half-size row, field two.
std::string RowListEntry(int number, const RowInput& row);

} // namespace siteherald
