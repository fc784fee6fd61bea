#pragma once

#include "prompter.h"

#include <QString>
#include <QStringList>

class QWidget;

// The one place where the desktop program puts a question or a message to the
// user.  Every dialog carries the German title of its kind ("Fehler",
// "Information", "Bestätigung", "Warnung") and German button captions ("OK",
// "Abbrechen", "&Ja", "&Nein", "&Hilfe").
//
// Tests never click on a message box: they queue the answers the user would
// give (pushNextAnswer) and read back what was asked (shownTexts).  While a
// scripted run is on, a question without a queued answer takes its default
// button and is noted in unexpectedTexts(), so a forgotten answer shows up in
// the test instead of a modal box that waits forever.  A message with "OK"
// alone needs no queued answer.
class MessageBox : public Prompter {
public:
    // The shared prompter of the desktop program.
    static MessageBox &instance();

    PromptButton ask(PromptKind kind, const QString &text, PromptButtons buttons,
                     PromptButton defaultButton = PromptButton::None) override;

    // Shortcuts for the usual cases.
    static PromptButton question(const QString &text, PromptButtons buttons, PromptButton defaultButton = PromptButton::None);
    static void error(const QString &text);
    static void information(const QString &text);

    // The parent for the dialogs (normally the main window); null means the active window.
    static void setParentWidget(QWidget *parent);

    // --- scripted answers -----------------------------------------------------
    static void setScripted(bool on);      // also on as soon as an answer is queued
    static bool isScripted();
    static void pushNextAnswer(PromptButton answer);
    static int pendingAnswers();
    static QStringList shownTexts();       // every text asked while scripted, oldest first
    static QStringList unexpectedTexts();  // asked while scripted with no queued answer
    static void resetScript();             // empties the queue and both lists, scripting off

    static QString titleFor(PromptKind kind);
    static QString captionFor(PromptButton button);
};
