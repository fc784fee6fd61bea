#pragma once

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>

// The questions and messages the core puts to the user.  The desktop program
// answers them through its message boxes; tests answer them from a queue.
enum class PromptKind { Confirmation, Information, Warning, Error };

enum class PromptButton {
    None = 0,
    Ok = 0x1,
    Cancel = 0x2,  // "Abbrechen"
    Yes = 0x4,     // "&Ja"
    No = 0x8,      // "&Nein"
    Help = 0x10,   // "&Hilfe"
};
Q_DECLARE_FLAGS(PromptButtons, PromptButton)
Q_DECLARE_OPERATORS_FOR_FLAGS(PromptButtons)

// The answer of a scripted run that was given no answer: the default button,
// else the first of OK, "&Ja", "&Nein", "Abbrechen" that is offered.
inline PromptButton unscriptedAnswer(PromptButtons buttons, PromptButton defaultButton)
{
    if (defaultButton != PromptButton::None)
        return defaultButton;
    for (PromptButton b : {PromptButton::Ok, PromptButton::Yes, PromptButton::No, PromptButton::Cancel})
        if (buttons.testFlag(b))
            return b;
    return PromptButton::None;
}

class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows `text` with the given buttons and returns the one chosen.  Closing
    // the dialog without a button counts as Cancel (or Ok when there is no Cancel).
    virtual PromptButton ask(PromptKind kind, const QString &text, PromptButtons buttons,
                             PromptButton defaultButton = PromptButton::None) = 0;

    // A message with one "OK" button.
    void tell(PromptKind kind, const QString &text) { ask(kind, text, PromptButton::Ok, PromptButton::Ok); }
};

// A prompter for tests and headless runs: answers from a queue of next answers
// and records every text it was shown.  With the queue empty it answers with
// the default button (or the first offered button).
class ScriptedPrompter : public Prompter {
public:
    void pushAnswer(PromptButton b) { m_answers.push_back(b); }
    const QStringList &asked() const { return m_asked; }
    // The buttons offered with each text, in the same order as asked().
    const QList<PromptButtons> &offered() const { return m_offered; }
    void clearAsked()
    {
        m_asked.clear();
        m_offered.clear();
    }
    int pendingAnswers() const { return int(m_answers.size()); }

    PromptButton ask(PromptKind, const QString &text, PromptButtons buttons, PromptButton defaultButton) override
    {
        m_asked << text;
        m_offered << buttons;
        if (!m_answers.empty()) {
            const PromptButton b = m_answers.front();
            m_answers.pop_front();
            return b;
        }
        return unscriptedAnswer(buttons, defaultButton);
    }

private:
    std::deque<PromptButton> m_answers;
    QStringList m_asked;
    QList<PromptButtons> m_offered;
};
