#include "notes_store.h"

#include <algorithm>

namespace siteherald {

namespace {

size_t Find(const LineList& lines, const std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to && i < lines.size(); ++i)
        if (lines[i] == text)
            return i;
    return lines.size();
}

// The end of the notes.dat section opened at `open`: its closing marker, else (a section cut
// short) the next note's opening line, else the end of the file; `closed` says which.
size_t NoteSectionEnd(const LineList& lines, size_t open, bool& closed) {
    const size_t close = Find(lines, lines[open], open + 1, lines.size());
    closed = close != lines.size();
    if (closed)
        return close;
    for (size_t i = open + 1; i < lines.size(); ++i)
        for (const char* other : {"$Mail", "$News", "$General"})
            if (lines[i] == other)
                return i;
    return lines.size();
}

} // namespace

std::string GetSubNotes(const std::string& notesFile, const std::string& engine,
                        const std::string& key) {
    LineList lines;
    LoadLineFile(notesFile, lines);
    const std::string section = "$" + engine;
    const size_t open = Find(lines, section, 0, lines.size());
    if (open == lines.size())
        return {};
    const size_t close = Find(lines, section, open + 1, lines.size());
    const size_t keyLine = Find(lines, key, open + 1, close);
    if (keyLine == lines.size())
        return {};
    // A note without its closing key line inside its engine's section is cut short: the
    // next engines' lines are no part of it.
    const size_t keyEnd = Find(lines, key, keyLine + 1, close);
    if (keyEnd == lines.size())
        return {};
    return JoinText(lines, keyLine + 1, keyEnd);
}

void SaveSubNotes(const std::string& notesFile, const std::string& engine, const std::string& key,
                  const LineList& note) {
    LineList lines;
    LoadLineFile(notesFile, lines);
    const std::string section = "$" + engine;
    size_t open = Find(lines, section, 0, lines.size());
    if (open == lines.size()) {
        lines.push_back(section);
        lines.push_back(section);
        open = lines.size() - 2;
    } else {
        const size_t close = Find(lines, section, open + 1, lines.size());
        const size_t keyLine = Find(lines, key, open + 1, close);
        if (keyLine != lines.size()) {
            // The old note ends at its closing key line, but never beyond its engine's section:
            // a note cut short must not take the next engines' notes with it.
            size_t keyEnd = Find(lines, key, keyLine + 1, close);
            keyEnd = keyEnd == lines.size() ? std::min(close, lines.size()) : keyEnd + 1;
            lines.erase(lines.begin() + static_cast<long>(keyLine),
                        lines.begin() + static_cast<long>(keyEnd));
        }
    }
    LineList subsection;
    subsection.push_back(key);
    subsection.insert(subsection.end(), note.begin(), note.end());
    subsection.push_back(key);
    lines.insert(lines.begin() + static_cast<long>(open) + 1, subsection.begin(), subsection.end());
    SaveLineFile(notesFile, lines);
}

LineList LoadNotes(const std::string& notesFile, const std::string& name) {
    LineList lines;
    LoadLineFile(notesFile, lines);
    const std::string marker = "$" + name;
    const size_t open = Find(lines, marker, 0, lines.size());
    if (open == lines.size())
        return {};
    bool closed = false;
    const size_t end = NoteSectionEnd(lines, open, closed);
    return LineList(lines.begin() + static_cast<long>(open) + 1,
                    lines.begin() + static_cast<long>(end));
}

void SaveNotes(const std::string& notesFile, const std::string& name, const LineList& note) {
    LineList lines;
    LoadLineFile(notesFile, lines);
    const std::string marker = "$" + name;
    const size_t open = Find(lines, marker, 0, lines.size());
    if (open != lines.size()) {
        // A section cut short never takes the notes after it with it.
        bool closed = false;
        const size_t end = NoteSectionEnd(lines, open, closed);
        lines.erase(lines.begin() + static_cast<long>(open),
                    lines.begin() + static_cast<long>(closed ? end + 1 : end));
    }
    lines.push_back(marker);
    lines.insert(lines.end(), note.begin(), note.end());
    lines.push_back(marker);
    SaveLineFile(notesFile, lines);
}

LineList NoteLines(const std::string& text) {
    if (text.empty())
        return {};
    LineList lines;
    size_t start = 0;
    for (;;) {
        const size_t lf = text.find('\n', start);
        lines.push_back(
            text.substr(start, lf == std::string::npos ? std::string::npos : lf - start));
        if (lf == std::string::npos)
            return lines;
        start = lf + 1;
    }
}

} // namespace siteherald
