#include "notes_dialog.h"

#include "event_guard.h"
#include "submit/notes_store.h"
#include "text_codec.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {
constexpr const char* kNotesFile = "subnotes.dat";
}

NotesDialog::NotesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Notes"));
    engineNotesEdit_ = new QPlainTextEdit(this);
    engineNotesEdit_->setObjectName(QStringLiteral("Memo3"));
    fileNotesEdit_ = new QPlainTextEdit(this);
    fileNotesEdit_->setObjectName(QStringLiteral("Memo4"));
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setToolTip(QStringLiteral("Save notes"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setToolTip(QStringLiteral("Discard changes"));
    connect(ok, &QPushButton::clicked, this, &NotesDialog::onOkClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("General notes regarding search engine:"), this));
    layout->addWidget(engineNotesEdit_);
    layout->addWidget(
        new QLabel(QStringLiteral("Notes specifically regarding this submission file."), this));
    layout->addWidget(fileNotesEdit_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(400, 360);
}

void NotesDialog::Edit(const std::string& engine, const std::string& currentFile) {
    engine_ = engine;
    currentFile_ = currentFile;
    Guard(this, [this] {
        engineNotesEdit_->setPlainText(FromBytes(GetSubNotes(kNotesFile, engine_, "$Main")));
        fileNotesEdit_->setPlainText(
            FromBytes(GetSubNotes(kNotesFile, engine_, "$" + currentFile_)));
    });
    exec();
}

void NotesDialog::onOkClicked() {
    Guard(this, [this] {
        if (!engine_.empty()) {
            SaveSubNotes(kNotesFile, engine_, "$Main",
                         NoteLines(ToBytes(engineNotesEdit_->toPlainText())));
            SaveSubNotes(kNotesFile, engine_, "$" + currentFile_,
                         NoteLines(ToBytes(fileNotesEdit_->toPlainText())));
        }
        accept();
    });
}

} // namespace siteherald::ui
