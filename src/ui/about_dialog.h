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

    QLabel* Label3 = nullptr; // name and version
    QLabel* Label4 = nullptr; // the web site, clickable
    QPushButton* Button1 = nullptr;

    // Opens an address in the desktop's browser; tests replace it.
    static bool OpenWebsite(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace siteherald::ui
