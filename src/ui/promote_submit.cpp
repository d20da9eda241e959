// The Promote tab's submission: GO and Stop with the page download and fill, the named
// browsers, the submission and info addresses, the engine choice of submit mode, and the
// fields of the current file to copy into a form by hand.
#include "combo_helpers.h"
#include "core/engine_records.h"
#include "core/file_url.h"
#include "core/settings_keys.h"
#include "core/submission_document.h"
#include "event_guard.h"
#include "message_box.h"
#include "preferences_dialog.h"
#include "promote_tab.h"
#include "submit/clipboard_value.h"
#include "submit/fill_pipeline.h"
#include "submit_panel.h"
#include "text_codec.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <string_view>

namespace siteherald::ui {

// ---- GO and Stop ----

void PromoteTab::SetDownloading(bool downloading) {
    for (QWidget* w : std::initializer_list<QWidget*>{netscapeButton_, explorerButton_, goButton_})
        w->setEnabled(!downloading);
    loadEngineAction_->setEnabled(!downloading);
    loadInfoAction_->setEnabled(!downloading);
    stopButton_->setEnabled(downloading);
    progress_.setVisible(downloading);
    if (downloading) {
        progress_.setRange(0, 0);
        progress_.setFormat(QString());
    }
}

void PromoteTab::ShowProgress() {
    const long long received = pageHttp_.BytesReceived();
    const long long total = pageHttp_.ContentLength();
    if (total > 0) {
        progress_.setRange(0, 1000);
        progress_.setValue(static_cast<int>(std::min<long long>(received, total) * 1000 / total));
        progress_.setFormat(QStringLiteral("%1 KB, %2%")
                                .arg(received / 1024)
                                .arg(std::min<long long>(received, total) * 100 / total));
    } else {
        progress_.setRange(0, 0);
        progress_.setFormat(QStringLiteral("%1 KB").arg(received / 1024));
    }
    progress_.setTextVisible(true);
    progress_.setToolTip(QStringLiteral("%1 bytes received").arg(received));
}

void PromoteTab::onGoClicked() {
    Guard(this, [this] {
        if (engineChoice_->currentIndex() >= 0 && !HasSubmissionAddress(seRecordList_)) {
            MessageBoxes::Show(
                this, MessageIcon::Error,
                FromBytes(DamagedRecordMessage(ToBytes(engineChoice_->currentText()))),
                Buttons::Ok);
            return;
        }
        const std::string address = ToBytes(submissionAddressLabel_->text());
        if (address.empty())
            return;
        if (Read(settings::ExternalFill)) {
            browser_.ServiceApplication = DefaultBrowserPath();
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = engineChoice_->currentText();
        emit statusText(QStringLiteral("Launching ") + engine +
                        QStringLiteral(" in external browser."));
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        const bool opened = dde.OpenURL(address, prompter);
        emit statusText({});
        if (!opened && dde.ServiceApplication.empty())
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + engine +
                                   QStringLiteral(" in external browser. Please check Browsers "
                                                  "Preferences."),
                               Buttons::Ok);
    });
}

void PromoteTab::onStopClicked() {
    pageHttp_.Abort();
    downloadAborted_ = true;
    SetDownloading(false);
}

void PromoteTab::AbortDownload() {
    pageHttp_.Abort();
}

void PromoteTab::DownloadAndChangeHTML() {
    // The record and engine of this run: another engine chosen during the download does not
    // change what is filled in.
    const LineList record = seRecordList_;
    const QString engine = engineChoice_->currentText();
    SetDownloading(true);
    emit statusText(QStringLiteral("Downloading ") + engine + QStringLiteral(" (") +
                    submissionAddressLabel_->text() + QStringLiteral(")"));
    downloadFinished_ = false;
    downloadAborted_ = false;

    // The banner above the filled page: a page fetched from Main/AdPage when one is set, else
    // made here. A failure keeps the banner there was.
    adPageLines_ =
        FetchBanner(pageHttp_, Read(settings::AdPage), ToBytes(engine), std::move(adPageLines_));

    if (!downloadAborted_) {
        if (!FetchSubmissionPage(pageHttp_, record, pageLines_)) {
            if (!requestWasAborted_)
                MessageBoxes::Show(
                    this, MessageIcon::Error,
                    UnableToRetrieveText(ParseSEData(record).submission, pageHttp_.FailureReason()),
                    Buttons::Ok);
            downloadAborted_ = true;
        }
    }
    emit statusText({});
    downloadFinished_ = true;
    SetDownloading(false);
    if (!downloadAborted_)
        Guard(this, [&] { ProcessDownload(ToBytes(engine), record); });
    emit downloadEnded();
}

void PromoteTab::ProcessDownload(const std::string& engine, const LineList& record) {
    emit statusText(QStringLiteral("Auto-filling submission form."));
    const std::string framePage = BuildSubmissionPages(
        ToBytes(dataDir_), record, document_.currentFileLines(), pageLines_, adPageLines_);
    emit statusText(QStringLiteral("Launching ") + FromBytes(engine) +
                    QStringLiteral(" in external browser."));
    BoxPrompter prompter(this);
    if (!browser_.OpenURL(FileUrl(framePage), prompter))
        MessageBoxes::Show(this, MessageIcon::Error,
                           QStringLiteral("Cannot launch submission url in External Browser."),
                           Buttons::Ok);
    emit statusText({});
}

// ---- the named browsers ----

std::string PromoteTab::GetBrowserLoc(const char* browser) {
    const bool netscape = std::string_view(browser) == "Netscape Navigator";
    preferences_.ShowWithFocus(netscape ? preferences_.navigatorPathEdit_
                                        : preferences_.explorerPathEdit_);
    const std::string path = Read(settings::BrowserPath(browser));
    return FileExists(path) ? path : std::string();
}

void PromoteTab::SubmitWithBrowser(const char* browser, const char* missingText,
                                   const char* launchIn) {
    Guard(this, [&] {
        browser_.ServiceApplication = Read(settings::BrowserPath(browser));
        if (!FileExists(browser_.ServiceApplication)) {
            if (MessageBoxes::Show(this, MessageIcon::Error, QString::fromLatin1(missingText),
                                   Buttons::OkCancel) != Answer::Ok)
                return;
            const std::string path = GetBrowserLoc(browser);
            if (path.empty())
                return;
            browser_.ServiceApplication = path;
        }
        const std::string address = ToBytes(submissionAddressLabel_->text());
        if (Read(settings::ExternalFill)) {
            DownloadAndChangeHTML();
            return;
        }
        const QString engine = engineChoice_->currentText();
        emit statusText(QStringLiteral("Launching ") + engine + QString::fromLatin1(launchIn));
        BoxPrompter prompter(this);
        const bool opened = browser_.OpenURL(address, prompter);
        emit statusText({});
        if (!opened)
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + engine +
                                   QStringLiteral(". Please check Browsers Preferences."),
                               Buttons::Ok);
    });
    browser_.ServiceApplication.clear();
}

void PromoteTab::onNetscapeClicked() {
    SubmitWithBrowser("Netscape Navigator",
                      "You must first give the location for Netscape under Browser Options.",
                      " in Netscape Navigator.");
}

void PromoteTab::onExplorerClicked() {
    SubmitWithBrowser("Internet Explorer",
                      "You must first give the location for Internet Explorer under Browser "
                      "Options.",
                      " in Internet Explorer.");
}

// ---- the addresses ----

void PromoteTab::onSubmissionAddressClicked() {
    if (goButton_->isEnabled())
        onGoClicked();
}

void PromoteTab::onInfoAddressClicked() {
    Guard(this, [this] {
        const QString info = infoAddressLabel_->text();
        if (info.isEmpty())
            return;
        goButton_->setEnabled(false);
        stopButton_->setEnabled(true);
        WwwDde dde;
        dde.ServiceApplication = DefaultBrowserPath();
        BoxPrompter prompter(this);
        const bool opened = dde.OpenURL(ToBytes(info), prompter);
        goButton_->setEnabled(true);
        stopButton_->setEnabled(false);
        if (!opened)
            MessageBoxes::Show(this, MessageIcon::Error,
                               QStringLiteral("Could not launch ") + info +
                                   QStringLiteral(". Please check Browsers Preferences."),
                               Buttons::Ok);
    });
}

// ---- submit mode's engine choice: it opens the engine at once ----

void PromoteTab::onSubmitModeEngineChosen(int index) {
    if (tickBoxFlag_)
        return;
    Guard(this, [this, index] {
        if (index < 0) {
            for (QWidget* w : std::initializer_list<QWidget*>{goButton_, netscapeButton_,
                                                              explorerButton_, submitModeButton_})
                w->setEnabled(false);
            loadEngineAction_->setEnabled(false);
            loadInfoAction_->setEnabled(false);
            return;
        }
        {
            const QSignalBlocker quiet(engineChoice_);
            engineChoice_->setCurrentIndex(index);
        }
        ComboBox2Change(index);
        stopButton_->setEnabled(false);
        goButton_->setEnabled(true);
        browser_.ServiceApplication = DefaultBrowserPath();
        if (!Read(settings::ExternalFill)) {
            BoxPrompter prompter(this);
            browser_.OpenURL(ToBytes(submissionAddressLabel_->text()), prompter);
        } else {
            DownloadAndChangeHTML();
        }
    });
}

// ---- the fields to copy ----

void PromoteTab::AddFieldMenu(QMenu* menu) {
    fieldMenus_ << menu;
}

void PromoteTab::FillListBox() {
    submitPanel_.SetFieldNames({});
    for (QMenu* menu : fieldMenus_)
        menu->clear();
    if (document_.currentFileLines().empty())
        return;
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    const auto captions = CopyableFieldCaptions(layout, document_.currentFileLines());
    if (!captions)
        return;
    QStringList names;
    for (const std::string& caption : *captions)
        names << FromBytes(caption);
    submitPanel_.SetFieldNames(names);
    for (QMenu* menu : fieldMenus_) {
        for (const QString& name : names)
            menu->addAction(name, this, [this, name] { CopyFieldValue(name); });
        if (names.isEmpty())
            menu->addAction(QStringLiteral("Empty"))->setEnabled(false);
    }
}

void PromoteTab::CopyFieldValue(const QString& fieldName) {
    Guard(this, [this, &fieldName] {
        LineList layout;
        LoadLineFile(kLayoutFile, layout);
        if (const auto value =
                CopyableFieldValue(layout, document_.currentFileLines(), ToBytes(fieldName)))
            QApplication::clipboard()->setText(FromBytes(*value));
    });
}

} // namespace siteherald::ui
