#pragma once

#include <string>
#include <string_view>

namespace siteherald {

// What PipeField returns for a field the record does not have; callers compare with it to
// tell a missing field from an empty one.
inline constexpr std::string_view kPipeError = "$ERROR$";

// The n-th field (counting from 1) of a line made of fields each ended by "|". Text after
// the last "|" belongs to no field.
std::string PipeField(std::string_view line, int n);

// PipeField with an empty text for a missing field.
std::string PipeFieldOrEmpty(std::string_view line, int n);

} // namespace siteherald
