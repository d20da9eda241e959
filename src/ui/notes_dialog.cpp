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
    Memo3 = new QPlainTextEdit(this);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo4 = new QPlainTextEdit(this);
    Memo4->setObjectName(QStringLiteral("Memo4"));
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setToolTip(QStringLiteral("Save notes"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setToolTip(QStringLiteral("Discard changes"));
    connect(ok, &QPushButton::clicked, this, &NotesDialog::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("General notes regarding search engine:"), this));
    layout->addWidget(Memo3);
    layout->addWidget(
        new QLabel(QStringLiteral("Notes specifically regarding this submission file."), this));
    layout->addWidget(Memo4);
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
        Memo3->setPlainText(FromBytes(GetSubNotes(kNotesFile, engine_, "$Main")));
        Memo4->setPlainText(FromBytes(GetSubNotes(kNotesFile, engine_, "$" + currentFile_)));
    });
    exec();
}

void NotesDialog::Button1Click() {
    Guard(this, [this] {
        if (!engine_.empty()) {
            SaveSubNotes(kNotesFile, engine_, "$Main", NoteLines(ToBytes(Memo3->toPlainText())));
            SaveSubNotes(kNotesFile, engine_, "$" + currentFile_,
                         NoteLines(ToBytes(Memo4->toPlainText())));
        }
        accept();
    });
}

} // namespace siteherald::ui
