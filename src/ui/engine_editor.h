#pragma once

#include "core/line_file.h"
#include "net/http_client.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace siteherald::ui {

// "Customize Search Engines": an engine's name and addresses, and for each text field of its
// submission form the auto-fill identifier that fills it. Fields can be found by scanning the
// engine's page.
class EngineEditor : public QDialog {
    Q_OBJECT
public:
    explicit EngineEditor(QWidget* parent);

    // Opens the editor for a new engine (record empty) or for the engine whose record (without
    // markers) is given. Returns after the dialog closed.
    void EditEngine(bool newEngine, const LineList& record);

    LineList EditRecord;
    bool NewEngine = true;
    bool Saved = true;
    bool Downloading = false;
    bool EngineAdded = false;
    bool EngineEdited = false;
    THttpCli& client() { return httpCli1_; }

    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QListWidget* ListBox1;
    QListWidget* ListBox2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;

public slots:
    void Button1Click(); // Save
    void Button2Click(); // Get Fields / Cancel
    void Button3Click(); // Add identifier
    void Button5Click(); // Launch In Browser

protected:
    void reject() override; // closing: the questions, then the identifiers are saved
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Edit1Exit();
    void GetFields();
    void ListBox2Click();
    void ListBox1Click();
    void DownloadSE(const std::string& address);
    void FinishClose();

    THttpCli httpCli1_;
    bool scanAborted_ = false;
    bool requestAborted_ = false;
};

} // namespace siteherald::ui
