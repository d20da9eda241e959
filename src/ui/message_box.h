#pragma once

#include "core/prompter.h"

#include <QString>
#include <deque>
#include <string>
#include <vector>

class QWidget;

namespace siteherald::ui {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// Every message box of the program goes through here: icon, buttons and text exactly as
// given. Tests script the answers and read back what was shown, so flows with questions
// run without a modal box ever opening.
class MessageBoxes {
public:
    static Answer Show(QWidget* parent, MessageIcon icon, const QString& text, Buttons buttons);

    struct Shown {
        MessageIcon icon;
        QString text;
        Buttons buttons;
    };
    // From now on no box is shown: questions take the next scripted answer (a box with OK
    // alone takes none); a question without a scripted answer gets Cancel, else No.
    static void Script(std::deque<Answer> answers = {});
    static void StopScript();
    static std::vector<Shown>& Log();
};

// `Unable to retrieve "ADDRESS".`, and on a line below why (the server's answer, a refused
// connection, a page over the size limit, a server too slow), when that is known.
QString UnableToRetrieveText(const std::string& address, const std::string& reason);

// Questions and boxes of the lower layers, answered with message boxes.
class BoxPrompter : public Prompter {
public:
    explicit BoxPrompter(QWidget* parent) : parent_(parent) {}
    bool AskYesNo(MessageIcon icon, const std::string& text) override;
    void Tell(MessageIcon icon, const std::string& text) override;
    std::optional<bool> AskYesNoCancel(MessageIcon icon, const std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace siteherald::ui
