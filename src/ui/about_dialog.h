#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace siteherald::ui {

// The About box: the program's name and version, and its web site.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);

    // Public for the tests.
    QLabel* versionLabel_ = nullptr; // name and version
    QLabel* websiteLabel_ = nullptr; // clickable
    QPushButton* closeButton_ = nullptr;

    // Opens an address in the desktop's browser; tests replace it.
    static bool OpenWebsite(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace siteherald::ui
