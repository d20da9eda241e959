#pragma once

#include <optional>
#include <string>

namespace siteherald {

enum class MessageIcon { Information, Warning, Error, Confirmation };

// How a lower-layer operation asks the user something or tells them something in the
// middle of its work. The desktop window answers with message boxes, the command line on
// the terminal or from its flags, tests with scripted answers.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual bool AskYesNo(MessageIcon icon, const std::string& text) = 0;
    virtual void Tell(MessageIcon icon, const std::string& text) = 0; // a box with OK
    // Yes, No or Cancel: true, false, or nothing for Cancel. Where there is no Cancel to
    // offer, asked as Yes or No.
    virtual std::optional<bool> AskYesNoCancel(MessageIcon icon, const std::string& text) {
        return AskYesNo(icon, text);
    }
};

} // namespace siteherald
