#pragma once

#include "net/update_ui.h"

#include <optional>

namespace siteherald::cli {

// Answers the data update's questions from a flag (--yes / --no), else on the terminal;
// without a terminal every question is answered No. Status texts and boxes are printed.
class TerminalUpdateUi : public UpdateUi {
public:
    explicit TerminalUpdateUi(std::optional<bool> answer) : answer_(answer) {}

    bool AskYesNo(MessageIcon icon, const std::string& text) override;
    void Tell(MessageIcon icon, const std::string& text) override;
    void Status(const std::string& text) override;
    void BoldStatus(const std::string& text) override { Status(text); }
    void OpenAddress(const std::string& address) override;
    void RequestQuit() override { quitRequested = true; }
    void EnginesChanged() override {}

    bool quitRequested = false;
    bool errorShown = false;

private:
    std::optional<bool> answer_;
};

} // namespace siteherald::cli
