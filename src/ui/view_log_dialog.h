#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace siteherald::ui {

// "View Log File": one read-only text; Escape closes it, closing empties it.
class ViewLogDialog : public QDialog {
    Q_OBJECT
public:
    explicit ViewLogDialog(QWidget* parent);
    QPlainTextEdit* logText_; // the owner puts the log here before showing the dialog

protected:
    void done(int result) override;
};

} // namespace siteherald::ui
