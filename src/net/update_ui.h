#pragma once

#include "core/prompter.h"

#include <string>

namespace siteherald {

// What the version check and the data update need of the window that runs them, besides
// questions and boxes.
class UpdateUi : public Prompter {
public:
    virtual void Status(const std::string& text) = 0; // "" clears the status bar
    // A bold status text that clears itself after 2.5 seconds.
    virtual void BoldStatus(const std::string& text) = 0;
    // Opens an address with the desktop's default handler.
    virtual void OpenAddress(const std::string& address) = 0;
    // Ends the program once control returns to the event loop.
    virtual void RequestQuit() = 0;
    // sedata.dat was replaced or merged: the engine lists are to be filled again.
    virtual void EnginesChanged() = 0;
};

} // namespace siteherald
