#pragma once

#include "fieldbinding.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;

// A check box on a Boolean field.  A click by the user writes the field; the
// box shows the field after every move and change.  A box that only shows its
// field (a result, or a box whose clicks the page judges itself) is switched
// to showOnly().
class CheckBoxBinding : public FieldBinding {
    Q_OBJECT
public:
    CheckBoxBinding(TableStore *store, const QString &field, QCheckBox *box, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;
    void showOnly() { m_writes = false; }

private:
    QPointer<QCheckBox> m_box;
    bool m_writes = true;
};

// An editable list on a text field: the choices are only suggestions, the
// field takes whatever is typed or chosen (cut to the field's size by the
// store).  Typed text is written on every keystroke, like a text edit.
class ComboTextBinding : public FieldBinding {
    Q_OBJECT
public:
    ComboTextBinding(TableStore *store, const QString &field, QComboBox *combo, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;

private:
    void write(const QString &text);

    QPointer<QComboBox> m_combo;
};

// A label that shows a field as the record formats it ("23,1", "ja").
class LabelBinding : public FieldBinding {
    Q_OBJECT
public:
    LabelBinding(TableStore *store, const QString &field, QLabel *label, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;

private:
    QPointer<QLabel> m_label;
};

// A check box that only shows a field: it takes neither the focus nor clicks.
void makeDisplayOnly(QCheckBox *box);

// Replaces the choices of an editable list and keeps the text in its edit, so
// that reloading the suggestions never changes what a record holds.
void setComboChoices(QComboBox *combo, const QStringList &choices);
