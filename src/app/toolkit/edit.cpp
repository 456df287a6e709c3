#include "edit.h"

#include "common/short_string.h"

#include <QKeyEvent>
#include <QValidator>

namespace zelvora {

namespace {
// Turns whatever enters the field to upper case, before the text changes,
// without leaving code page 1252: the field's text must fit the data files.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        input = toUpperCp1252(input);
        return Acceptable;
    }
};
} // namespace

Edit::Edit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &Edit::changed);
}

void Edit::setUpperCase(bool upper)
{
    setValidator(upper ? new UpperCaseValidator(this) : nullptr);
}

void Edit::keyPressEvent(QKeyEvent *event)
{
    emit keyDown(event->key());
    QLineEdit::keyPressEvent(event);
}

void Edit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (hasSelectedText())
        deselect();
}

} // namespace zelvora
