#pragma once

#include "message_box.h"
#include "text_codec.h"

#include <exception>

class QWidget;

namespace siteherald::ui {

// Runs one event's work; a failure it raises (a file that cannot be written, a setting that
// cannot be stored) is shown in an error box and ends that work only, never the program.
template <class Work> void Guard(QWidget* parent, Work&& work) {
    try {
        work();
    } catch (const std::exception& e) {
        MessageBoxes::Show(parent, MessageIcon::Error, FromBytes(e.what()), Buttons::Ok);
    }
}

} // namespace siteherald::ui
