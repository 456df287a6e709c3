#pragma once

#include <QLineEdit>

namespace zelvora {

// A single-line edit as the windows expect it:
// - `changed` is raised synchronously whenever its text becomes different,
//   typed or set by the program, and never for the same text;
// - with upper case on, typed and pasted letters become upper case before the
//   notification ("à" becomes "À"), within code page 1252 ("ß" and "µ",
//   whose capitals lie outside it, stay as they are);
// - `keyDown` is raised before the field handles a key;
// - gaining the focus does not select the text.
class Edit : public QLineEdit
{
    Q_OBJECT
public:
    explicit Edit(QWidget *parent = nullptr);

    void setUpperCase(bool upper);

signals:
    void changed();
    void keyDown(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};

} // namespace zelvora
