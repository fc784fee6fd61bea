#include "messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <deque>


namespace {

struct Script {
    bool on = false;
    std::deque<PromptButton> answers;
    QStringList shown;
    QStringList unexpected;
};

Script &script()
{
    static Script s;
    return s;
}

QPointer<QWidget> &parentWidget()
{
    static QPointer<QWidget> p;
    return p;
}

QMessageBox::Icon iconFor(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Confirmation: return QMessageBox::Question;
    case PromptKind::Information: return QMessageBox::Information;
    case PromptKind::Warning: return QMessageBox::Warning;
    case PromptKind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleFor(PromptButton b)
{
    switch (b) {
    case PromptButton::Ok: return QMessageBox::AcceptRole;
    case PromptButton::Yes: return QMessageBox::YesRole;
    case PromptButton::No: return QMessageBox::NoRole;
    case PromptButton::Cancel: return QMessageBox::RejectRole;
    case PromptButton::Help: return QMessageBox::HelpRole;
    case PromptButton::None: break;
    }
    return QMessageBox::InvalidRole;
}

// Closing without a button counts as "Abbrechen", or as "OK" when there is none.
PromptButton escapeAnswer(PromptButtons buttons)
{
    if (buttons.testFlag(PromptButton::Cancel))
        return PromptButton::Cancel;
    if (buttons.testFlag(PromptButton::Ok))
        return PromptButton::Ok;
    if (buttons.testFlag(PromptButton::No))
        return PromptButton::No;
    return PromptButton::None;
}

} // namespace

MessageBox &MessageBox::instance()
{
    static MessageBox box;
    return box;
}

QString MessageBox::titleFor(PromptKind kind)
{
    switch (kind) {
    case PromptKind::Confirmation: return u"Bestätigung"_qs;
    case PromptKind::Information: return u"Information"_qs;
    case PromptKind::Warning: return u"Warnung"_qs;
    case PromptKind::Error: return u"Fehler"_qs;
    }
    return {};
}

QString MessageBox::captionFor(PromptButton button)
{
    switch (button) {
    case PromptButton::Ok: return u"OK"_qs;
    case PromptButton::Cancel: return u"Abbrechen"_qs;
    case PromptButton::Yes: return u"&Ja"_qs;
    case PromptButton::No: return u"&Nein"_qs;
    case PromptButton::Help: return u"&Hilfe"_qs;
    case PromptButton::None: break;
    }
    return {};
}

PromptButton MessageBox::ask(PromptKind kind, const QString &text, PromptButtons buttons, PromptButton defaultButton)
{
    if (!buttons)
        buttons = PromptButton::Ok;
    Script &s = script();
    if (s.on) {
        s.shown << text;
        if (!s.answers.empty()) {
            const PromptButton b = s.answers.front();
            s.answers.pop_front();
            return b;
        }
        // A message with "OK" alone offers no choice; only an unanswered
        // question is noted.
        if (buttons != PromptButtons(PromptButton::Ok))
            s.unexpected << text;
        return unscriptedAnswer(buttons, defaultButton);
    }

    QWidget *parent = parentWidget() ? parentWidget().data() : QApplication::activeWindow();
    QMessageBox box(iconFor(kind), titleFor(kind), text, QMessageBox::NoButton, parent);
    // The buttons in the order a German Windows user knows them.
    const PromptButton order[] = {PromptButton::Yes, PromptButton::No, PromptButton::Ok,
                                  PromptButton::Cancel, PromptButton::Help};
    std::vector<std::pair<QAbstractButton *, PromptButton>> made;
    for (PromptButton b : order) {
        if (!buttons.testFlag(b))
            continue;
        QAbstractButton *button = box.addButton(captionFor(b), roleFor(b));
        made.emplace_back(button, b);
        if (b == defaultButton)
            box.setDefaultButton(qobject_cast<QPushButton *>(button));
    }
    const PromptButton esc = escapeAnswer(buttons);
    for (auto &[button, b] : made)
        if (b == esc)
            box.setEscapeButton(button);
    box.exec();
    for (auto &[button, b] : made)
        if (box.clickedButton() == button)
            return b;
    return esc;
}

PromptButton MessageBox::question(const QString &text, PromptButtons buttons, PromptButton defaultButton)
{
    return instance().ask(PromptKind::Confirmation, text, buttons, defaultButton);
}

void MessageBox::error(const QString &text)
{
    instance().tell(PromptKind::Error, text);
}

void MessageBox::information(const QString &text)
{
    instance().tell(PromptKind::Information, text);
}

void MessageBox::setParentWidget(QWidget *parent)
{
    parentWidget() = parent;
}

void MessageBox::setScripted(bool on)
{
    script().on = on;
}

bool MessageBox::isScripted()
{
    return script().on;
}

void MessageBox::pushNextAnswer(PromptButton answer)
{
    script().on = true;
    script().answers.push_back(answer);
}

int MessageBox::pendingAnswers()
{
    return int(script().answers.size());
}

QStringList MessageBox::shownTexts()
{
    return script().shown;
}

QStringList MessageBox::unexpectedTexts()
{
    return script().unexpected;
}

void MessageBox::resetScript()
{
    script() = Script{};
}
