#include "view_log_dialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace siteherald::ui {

ViewLogDialog::ViewLogDialog(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(QStringLiteral("View Log File"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Memo1);
    resize(420, 300);
}

void ViewLogDialog::done(int result) {
    Memo1->clear();
    QDialog::done(result);
}

} // namespace siteherald::ui
