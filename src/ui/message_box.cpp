#include "message_box.h"

#include "text_codec.h"

#include <QMessageBox>
#include <optional>

namespace siteherald::ui {

namespace {

struct ScriptState {
    bool active = false;
    std::deque<Answer> answers;
    std::vector<MessageBoxes::Shown> log;
};

ScriptState& State() {
    static ScriptState state;
    return state;
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer ScriptedAnswer(Buttons buttons) {
    ScriptState& state = State();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (state.answers.empty())
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    const Answer answer = state.answers.front();
    state.answers.pop_front();
    return answer;
}

} // namespace

Answer MessageBoxes::Show(QWidget* parent, MessageIcon icon, const QString& text, Buttons buttons) {
    ScriptState& state = State();
    state.log.push_back({icon, text, buttons});
    if (state.active)
        return ScriptedAnswer(buttons);
    QMessageBox box(IconOf(icon), QStringLiteral("Siteherald"), text, ButtonsOf(buttons), parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

void MessageBoxes::Script(std::deque<Answer> answers) {
    State().active = true;
    State().answers = std::move(answers);
    State().log.clear();
}

void MessageBoxes::StopScript() {
    State().active = false;
    State().answers.clear();
}

std::vector<MessageBoxes::Shown>& MessageBoxes::Log() {
    return State().log;
}

bool BoxPrompter::AskYesNo(MessageIcon icon, const std::string& text) {
    return MessageBoxes::Show(parent_, icon, FromBytes(text), Buttons::YesNo) == Answer::Yes;
}

void BoxPrompter::Tell(MessageIcon icon, const std::string& text) {
    MessageBoxes::Show(parent_, icon, FromBytes(text), Buttons::Ok);
}

std::optional<bool> BoxPrompter::AskYesNoCancel(MessageIcon icon, const std::string& text) {
    switch (MessageBoxes::Show(parent_, icon, FromBytes(text), Buttons::YesNoCancel)) {
    case Answer::Yes:
        return true;
    case Answer::No:
        return false;
    default:
        return std::nullopt;
    }
}

QString UnableToRetrieveText(const std::string& address, const std::string& reason) {
    QString text =
        QStringLiteral("Unable to retrieve \"") + FromBytes(address) + QStringLiteral("\".");
    if (!reason.empty())
        text += QLatin1Char('\n') + FromBytes(reason);
    return text;
}

} // namespace siteherald::ui
