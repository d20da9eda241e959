#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

using LineList = std::vector<std::string>;

// A file that could not be read or written; what() names the file and the reason.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& message, std::string path, std::string reason = {})
        : std::runtime_error(message), path_(std::move(path)), reason_(std::move(reason)) {}
    const std::string& path() const { return path_; }
    // The reason alone (the system's error text), when the thrower gave one.
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

// Splits bytes into lines. A line ends at CR LF, a lone CR or a lone LF; the bytes after
// the last break form a last line when there are any. With nulEndsLine, a NUL byte ends
// the text of its line and the rest up to the next break is dropped.
LineList SplitLines(std::string_view bytes, bool nulEndsLine = false);

// The same split as SplitLines, as views into `bytes` (which must outlive them): no copy of
// the text, for reading large files quickly.
std::vector<std::string_view> SplitLineViews(std::string_view bytes);

// Joins lines, each followed by CR LF.
std::string JoinLines(const LineList& lines);

// Lines [begin, end) as one text with CR LF between them; while the text is still empty a
// line replaces it, so leading empty lines are dropped.
std::string JoinText(const LineList& lines, size_t begin, size_t end);

// Index of the first line equal to text at or after `from`; kNoLine when there is none.
inline constexpr size_t kNoLine = static_cast<size_t>(-1);
size_t FindLine(const LineList& lines, std::string_view text, size_t from = 0);

bool FileExists(const std::string& path);

// Reads a whole file. Returns false when it does not exist; throws FileError when it
// exists but cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// Loads a line file; false (and an empty list) when the file does not exist.
bool LoadLineFile(const std::string& path, LineList& lines);

// Replaces a file whole: writes a temporary file beside it, flushes it to disk and renames
// it over the old one, so the old contents stay intact when anything fails. Throws
// FileError, and leaves nothing behind, on failure.
void WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned newFileMode = 0644);

// Saves lines with CR LF endings, atomically.
void SaveLineFile(const std::string& path, const LineList& lines);

} // namespace siteherald
