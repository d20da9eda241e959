#include "submission_file.h"

#include "profiles.h"

#include <algorithm>

namespace siteherald {

namespace {

constexpr const char* kFieldNamesMarker = "$FieldNames$";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

LineList BuildSubmissionFile(const std::string& profileName, const std::vector<FieldValue>& fields,
                             const LineList& attachmentLines,
                             const std::vector<std::string>& fieldAutoFills) {
    LineList file;
    file.push_back("$PROFILE$" + profileName);
    for (const FieldValue& field : fields) {
        if (!field.multiLine) {
            file.push_back(field.name + ":" + OneLineValue(field.text));
            continue;
        }
        file.push_back(field.name + ":");
        file.insert(file.end(), field.lines.begin(), field.lines.end());
        file.push_back("$" + field.name + ":");
    }
    file.insert(file.end(), attachmentLines.begin(), attachmentLines.end());
    file.push_back(kFieldNamesMarker);
    file.insert(file.end(), fieldAutoFills.begin(), fieldAutoFills.end());
    file.push_back(kFieldNamesMarker);
    return file;
}

std::string SubmissionFileProfile(const LineList& file) {
    if (file.empty() || !StartsWith(file[0], "$PROFILE$"))
        return {};
    return file[0].substr(9);
}

SubmissionFileContents ReadSubmissionFile(const LineList& file,
                                          const std::vector<FieldValue>& controls) {
    SubmissionFileContents contents;
    size_t searchEnded = 0;
    for (const FieldValue& control : controls) {
        FieldValue value;
        value.name = control.name;
        value.multiLine = control.multiLine;
        size_t i = 0;
        while (i < file.size() && !StartsWith(file[i], "$START") &&
               !StartsWith(file[i], control.name))
            ++i;
        searchEnded = i;
        if (i < file.size() && !StartsWith(file[i], "$START")) {
            if (!control.multiLine) {
                value.text = file[i].size() > control.name.size()
                                 ? file[i].substr(control.name.size() + 1)
                                 : std::string();
            } else {
                const std::string closing = "$" + control.name;
                for (size_t j = i + 1; j < file.size() && !StartsWith(file[j], closing); ++j)
                    value.lines.push_back(file[j]);
            }
        }
        contents.fields.push_back(std::move(value));
    }
    size_t start = searchEnded;
    while (start < file.size() && !StartsWith(file[start], "$START"))
        ++start;
    for (size_t i = start; i < file.size() && file[i] != kFieldNamesMarker; ++i)
        contents.attachmentLines.push_back(file[i]);
    return contents;
}

std::vector<std::string> SubmissionFileFieldNames(const LineList& file) {
    const auto first = std::find(file.begin(), file.end(), kFieldNamesMarker);
    if (first == file.end())
        return {};
    const auto last = std::find(first + 1, file.end(), kFieldNamesMarker);
    if (last == file.end())
        return {};
    return {first + 1, last};
}

} // namespace siteherald
