#include "field_form.h"

#include "text_codec.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace siteherald::ui {

FieldForm::FieldForm(bool mainForm, QWidget* parent)
    : QScrollArea(parent), mainForm_(mainForm), canvas_(new QWidget) {
    setWidget(canvas_);
    setWidgetResizable(false);
    canvas_->resize(530, 8);
}

void FieldForm::Clear() {
    for (QObject* child : canvas_->children())
        if (child->isWidgetType())
            delete child;
    entries_.clear();
    cursor_ = FieldLayoutCursor();
    canvasHeight_ = 0;
    canvas_->resize(530, 8);
}

void FieldForm::AddField(const FieldDefinition& field) {
    const PlacedField placed = cursor_.Place(field);
    // The label has the room up to its control; a longer caption is cut with an ellipsis and
    // shown whole as the label's tooltip.
    const QString caption = FromBytes(placed.caption);
    auto* label = new QLabel(canvas_);
    label->setObjectName(QString::fromStdString(placed.labelName));
    label->move(placed.labelLeft, placed.labelTop);
    const int room = placed.kind == PlacedField::Kind::LabelOnly
                         ? 428
                         : std::max(placed.left - placed.labelLeft - 4, 8);
    const QString shown = label->fontMetrics().elidedText(caption, Qt::ElideRight, room);
    label->setText(shown);
    label->setFixedWidth(std::min(room, label->fontMetrics().horizontalAdvance(shown) + 2));
    if (shown != caption)
        label->setToolTip(caption);
    label->show();

    QWidget* entry = nullptr;
    if (placed.kind == PlacedField::Kind::Edit) {
        auto* edit = new QLineEdit(FromBytes(placed.defaultValue), canvas_);
        if (mainForm_)
            connect(edit, &QLineEdit::textEdited, this, &FieldForm::changed);
        entry = edit;
    } else if (placed.kind == PlacedField::Kind::Memo) {
        auto* memo = new QPlainTextEdit(FromBytes(placed.defaultValue), canvas_);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setLineWrapMode(mainForm_ ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        if (mainForm_)
            connect(memo, &QPlainTextEdit::textChanged, this, [this, memo] {
                if (memo->document()->isModified())
                    emit changed();
            });
        entry = memo;
    }
    if (entry) {
        entry->setObjectName(QString::fromStdString(placed.controlName));
        entry->setGeometry(placed.left, placed.top, placed.width, placed.height);
        entry->show();
        label->setBuddy(entry);
        entries_.push_back(entry);
    }
    canvasHeight_ = std::max(canvasHeight_, placed.top + std::max(placed.height, 21) + 8);
    canvas_->resize(530, std::max(canvasHeight_, cursor_.rowTop() + 8));
}

std::vector<FieldValue> FieldForm::Values() const {
    std::vector<FieldValue> values;
    for (QWidget* entry : entries_) {
        FieldValue value;
        value.name = entry->objectName().toStdString();
        if (auto* edit = qobject_cast<QLineEdit*>(entry)) {
            value.text = ToBytes(edit->text());
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(entry)) {
            value.multiLine = true;
            const QString text = memo->toPlainText();
            if (!text.isEmpty())
                for (const QString& line : text.split(QLatin1Char('\n')))
                    value.lines.push_back(ToBytes(line));
        }
        values.push_back(std::move(value));
    }
    return values;
}

void FieldForm::SetValues(const std::vector<FieldValue>& values) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const FieldValue* value = i < values.size() ? &values[i] : nullptr;
        if (auto* edit = qobject_cast<QLineEdit*>(entries_[i])) {
            edit->setText(value ? FromBytes(value->text) : QString());
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(entries_[i])) {
            const QSignalBlocker quiet(memo);
            memo->setPlainText(value ? JoinedText(value->lines) : QString());
            memo->document()->setModified(false);
        }
    }
}

bool FieldForm::SetEntryLines(const std::string& name, const std::vector<std::string>& lines,
                              bool single) {
    bool taken = false;
    for (QWidget* entry : entries_) {
        if (entry->objectName().toStdString() != name)
            continue;
        taken = true;
        if (auto* edit = qobject_cast<QLineEdit*>(entry)) {
            QString text;
            for (const std::string& line : lines)
                text += FromBytes(line) + (single ? QString() : QStringLiteral(" "));
            edit->setText(text);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(entry)) {
            memo->setPlainText(JoinedText(lines));
        }
    }
    return taken;
}

} // namespace siteherald::ui
