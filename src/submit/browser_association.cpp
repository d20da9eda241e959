#include "browser_association.h"

#include "core/ascii.h"
#include "core/line_file.h"
#include "process.h"

#include <cstdlib>
#include <vector>

namespace siteherald {

namespace {

std::string Trim(const std::string& s) {
    return std::string(TrimmedAscii(s));
}

// Splits an Exec value into arguments: double-quoted arguments may hold blanks, and inside
// them \" \` \$ \\ stand for the character.
std::vector<std::string> SplitExec(const std::string& exec) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false;
    bool hasArg = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (inQuotes) {
            if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == '"') {
                inQuotes = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            hasArg = true;
        } else if (c == ' ' || c == '\t') {
            if (hasArg)
                args.push_back(current);
            current.clear();
            hasArg = false;
        } else {
            current += c;
            hasArg = true;
        }
    }
    if (hasArg)
        args.push_back(current);
    return args;
}

std::vector<std::string> ApplicationDirs() {
    std::vector<std::string> dirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && *dataHome)
        dirs.push_back(std::string(dataHome) + "/applications");
    else if (home && *home)
        dirs.push_back(std::string(home) + "/.local/share/applications");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= list.size()) {
        const size_t colon = list.find(':', start);
        const std::string dir =
            list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty())
            dirs.push_back(dir + "/applications");
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return dirs;
}

std::string DefaultDesktopEntry(const std::string& name) {
    std::string out;
    if (name == "http") {
        if (RunAndRead({"xdg-settings", "get", "default-web-browser"}, out) && !Trim(out).empty())
            return Trim(out);
        if (RunAndRead({"xdg-mime", "query", "default", "x-scheme-handler/http"}, out) &&
            !Trim(out).empty())
            return Trim(out);
    }
    if (RunAndRead({"xdg-mime", "query", "default", "text/html"}, out))
        return Trim(out);
    return {};
}

} // namespace

std::string ExecProgram(const std::string& execValue) {
    std::vector<std::string> args = SplitExec(execValue);
    size_t i = 0;
    if (i < args.size() && (args[i] == "env" || args[i] == "/usr/bin/env")) {
        ++i;
        while (i < args.size() && args[i].find('=') != std::string::npos)
            ++i;
    }
    for (; i < args.size(); ++i)
        if (!(args[i].size() == 2 && args[i][0] == '%'))
            return args[i];
    return {};
}

namespace {

// The string escapes of a desktop entry value (\s \n \t \r \\), undone before the Exec
// quoting rules apply.
std::string UnescapeValue(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (const char c = value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += c;
        }
    }
    return out;
}

} // namespace

std::string DesktopEntryExec(const std::string& contents) {
    bool inEntry = false;
    for (const std::string& raw : SplitLines(contents)) {
        const std::string line = Trim(raw);
        if (!line.empty() && line[0] == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (inEntry && line.rfind("Exec", 0) == 0) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos && Trim(line.substr(4, eq - 4)).empty())
                return UnescapeValue(Trim(line.substr(eq + 1)));
        }
    }
    return {};
}

std::string GetProgramAssociation(const std::string& name) {
    const std::string entry = DefaultDesktopEntry(name);
    if (entry.empty() || entry.find('/') != std::string::npos)
        return {};
    for (const std::string& dir : ApplicationDirs()) {
        std::string contents;
        try {
            if (!ReadFileBytes(dir + "/" + entry, contents))
                continue;
        } catch (const FileError&) {
            continue;
        }
        const std::string program = ExecProgram(DesktopEntryExec(contents));
        return FindProgram(program);
    }
    return {};
}

} // namespace siteherald
