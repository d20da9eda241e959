#include "input_box.h"

#include <QInputDialog>

namespace siteherald::ui {

namespace {

std::optional<std::deque<std::optional<QString>>>& Scripted() {
    static std::optional<std::deque<std::optional<QString>>> answers;
    return answers;
}

} // namespace

bool InputBox::Ask(QWidget* parent, const QString& title, const QString& prompt, QString& text) {
    if (auto& answers = Scripted()) {
        Log().push_back({title, prompt, text});
        if (answers->empty() || !answers->front()) {
            if (!answers->empty())
                answers->pop_front();
            return false;
        }
        text = *answers->front();
        answers->pop_front();
        return true;
    }
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, text, &ok);
    if (ok)
        text = answer;
    return ok;
}

void InputBox::Script(std::deque<std::optional<QString>> answers) {
    Scripted() = std::move(answers);
    Log().clear();
}

void InputBox::StopScript() {
    Scripted().reset();
}

std::deque<InputBox::Asked>& InputBox::Log() {
    static std::deque<Asked> log;
    return log;
}

} // namespace siteherald::ui
