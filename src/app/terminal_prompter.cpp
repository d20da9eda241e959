#include "terminal_prompter.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace siteherald::cli {

namespace {

// Line breaks inside a box's text print as they read.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}

} // namespace

bool TerminalUpdateUi::AskYesNo(MessageIcon, const std::string& text) {
    std::printf("%s", Printable(text).c_str());
    if (answer_) {
        std::printf(" %s\n", *answer_ ? "yes" : "no");
        return *answer_;
    }
    if (!::isatty(STDIN_FILENO)) {
        std::printf(" no (no terminal to ask on; give --yes or --no)\n");
        return false;
    }
    for (;;) {
        std::printf(" [y/n] ");
        std::fflush(stdout);
        std::string reply;
        if (!std::getline(std::cin, reply)) {
            std::printf("\n");
            return false;
        }
        if (reply == "y" || reply == "Y" || reply == "yes")
            return true;
        if (reply == "n" || reply == "N" || reply == "no")
            return false;
    }
}

void TerminalUpdateUi::Tell(MessageIcon icon, const std::string& text) {
    if (icon == MessageIcon::Error || icon == MessageIcon::Warning) {
        errorShown = true;
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", Printable(text).c_str());
    } else {
        std::printf("%s\n", Printable(text).c_str());
    }
}

void TerminalUpdateUi::Status(const std::string& text) {
    if (!text.empty())
        std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

void TerminalUpdateUi::OpenAddress(const std::string& address) {
    std::printf("Open this address in your browser: %s\n", address.c_str());
}

} // namespace siteherald::cli
