#pragma once

#include "core/line_file.h"

#include <string>

namespace siteherald {

// subnotes.dat: per engine a section "$<engine>" ... "$<engine>" holding subsections
// "$Main" (the general note) and "$<file path>" (the note for one submission data file),
// each its key line, the note's lines, the key line again.

// The note's lines joined with CR LF (leading empty lines dropped); empty when absent or cut
// short.
std::string GetSubNotes(const std::string& notesFile, const std::string& engine,
                        const std::string& key);
// Replaces the note, which becomes the first subsection of the engine's section.
void SaveSubNotes(const std::string& notesFile, const std::string& engine, const std::string& key,
                  const LineList& note);

// notes.dat: sections "$Mail", "$News", "$General", each the note's lines between its markers.
LineList LoadNotes(const std::string& notesFile, const std::string& name);
// Replaces the note; its section moves to the end of the file.
void SaveNotes(const std::string& notesFile, const std::string& name, const LineList& note);

// A memo's text as note lines and back (lines split at line feeds).
LineList NoteLines(const std::string& text);

} // namespace siteherald
