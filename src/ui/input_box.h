#pragma once

#include <QString>
#include <deque>
#include <optional>

class QWidget;

namespace siteherald::ui {

// The one-line input box. Tests script the answers (nothing: Cancel) instead of showing it.
class InputBox {
public:
    // True when the user pressed OK; `text` holds the initial text and then the answer.
    static bool Ask(QWidget* parent, const QString& title, const QString& prompt, QString& text);

    struct Asked {
        QString title;
        QString prompt;
        QString initial;
    };
    static void Script(std::deque<std::optional<QString>> answers);
    static void StopScript();
    static std::deque<Asked>& Log();
};

} // namespace siteherald::ui
