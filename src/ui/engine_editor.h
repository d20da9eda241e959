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

    // Public for the tests.
    QLineEdit* nameEdit_;
    QLineEdit* submitUrlEdit_;
    QLineEdit* infoUrlEdit_;
    QLineEdit* identifierEdit_;
    QListWidget* autoFillList_;
    QListWidget* fieldList_;
    QPushButton* saveButton_;
    QPushButton* getFieldsButton_;
    QPushButton* addIdentifierButton_;
    QPushButton* closeButton_;
    QPushButton* launchButton_;

public slots:
    void onSaveClicked();
    void onGetFieldsClicked(); // "&Get Fields", or "&Cancel" while the page downloads
    void onAddIdentifierClicked();
    void onLaunchClicked();

protected:
    void reject() override; // closing: the questions, then the identifiers are saved
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateEngineLine(); // the record's first line, from the three boxes
    void GetFields();
    void onFieldClicked();
    void onAutoFillClicked();
    void DownloadSE(const std::string& address);
    void FinishClose();

    THttpCli httpCli1_;
    bool scanAborted_ = false;
    bool requestAborted_ = false;
};

} // namespace siteherald::ui
