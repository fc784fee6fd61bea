// "Kopfzeile": the header lines and switches of the protocols, opened from
// the main window's "&Einstellungen" -> "&Kopfzeilen".

#include "keyboardcheck.h"
#include "kopfzeilendlg.h"
#include "mainwindow.h"
#include "uitestenv.h"

#include "printsettings.h"
#include "settingsfile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TestKopfzeilendlg : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensWithTheSettingsInEffect();
    void keyboard();
    void okWritesTheFourKeys();
    void cancelChangesNothing();
    void failedWriteIsReportedAndTheValuesStayInEffect();
    void helpTopic();

private:
    Tkopfzeilendlg *open();
    template <typename T>
    T *find(const char *name)
    {
        T *w = m_dialog->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }

    UiTestDir m_dir;
    std::unique_ptr<TForm1> m_window;
    Tkopfzeilendlg *m_dialog = nullptr;
};

void TestKopfzeilendlg::init()
{
    m_dir.enter();
    QFile::remove(settings::settingsFilePath());
    QDir().mkpath(QFileInfo(settings::settingsFilePath()).absolutePath());
    QFile ini(settings::settingsFilePath());
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[VKQ]\nHoehe=2,5\n[bkm]\nkz2=, Hauptstr. 7\nkz3=Tel. 1234\nlogodrucken=0\n");
    ini.close();
    m_window = std::make_unique<TForm1>();
    m_window->show();
}

void TestKopfzeilendlg::cleanup()
{
    m_window.reset();
    QFile::setPermissions(QFileInfo(settings::settingsFilePath()).absolutePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
    m_dir.leave();
}

Tkopfzeilendlg *TestKopfzeilendlg::open()
{
    m_window->findChild<QAction *>(u"kopfzeilen"_qs)->trigger();
    m_dialog = m_window->findChild<Tkopfzeilendlg *>(u"Tkopfzeilendlg"_qs);
    if (!QTest::qWaitForWindowExposed(m_dialog))
        qFatal("dialog not shown");
    return m_dialog;
}

void TestKopfzeilendlg::opensWithTheSettingsInEffect()
{
    open();
    QCOMPARE(m_dialog->windowTitle(), u"Kopfzeile"_qs);
    QVERIFY(m_dialog->isModal());
    QVERIFY(!(m_dialog->windowFlags() & Qt::WindowMinMaxButtonsHint));
    auto *name = find<QLineEdit>("nameedit");
    QCOMPARE(name->text(), settings::accountFullName());
    QVERIFY(name->isReadOnly());
    QVERIFY(!name->isEnabled());
    QCOMPARE(find<QLineEdit>("absenderedit")->text(), u", Hauptstr. 7"_qs);
    QCOMPARE(find<QLineEdit>("kopfzeileedit")->text(), u"Tel. 1234"_qs);
    QVERIFY(!find<QCheckBox>("logocheckbox")->isChecked());
    QVERIFY(find<QCheckBox>("adressecheckbox")->isChecked());
    QCOMPARE(find<QCheckBox>("adressecheckbox")->text(), u"Anschrift f. Brieffenster drucken"_qs);
    QCOMPARE(find<QCheckBox>("logocheckbox")->text(), u"Logo drucken"_qs);
    QCOMPARE(QApplication::focusWidget(), find<QCheckBox>("adressecheckbox"));
    m_dialog->reject();
}

void TestKopfzeilendlg::keyboard()
{
    open();
    QCOMPARE(mnemonicClashes(m_dialog), QStringList());
    // Tab goes round the dialog and passes the name by.
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({u"adressecheckbox"_qs, u"absenderedit"_qs, u"kopfzeileedit"_qs, u"okbtn"_qs,
                                 u"abbrechenbtn"_qs, u"hilfebtn"_qs, u"logocheckbox"_qs}));
    // Enter in a text field confirms, Escape cancels.
    find<QLineEdit>("kopfzeileedit")->setFocus();
    QTest::keyClicks(find<QLineEdit>("kopfzeileedit"), u" neu"_qs);
    QTest::keyClick(find<QLineEdit>("kopfzeileedit"), Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_window->printSettings().headerLine3, u"Tel. 1234"_qs);
    open();
    QTest::keyClicks(find<QLineEdit>("kopfzeileedit"), u"x"_qs);
    find<QLineEdit>("kopfzeileedit")->setFocus();
    QTest::keyClick(find<QLineEdit>("kopfzeileedit"), Qt::Key_Return);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
}

void TestKopfzeilendlg::okWritesTheFourKeys()
{
    open();
    find<QLineEdit>("absenderedit")->setText(u", Kaminweg 3, Ulm"_qs);
    find<QLineEdit>("kopfzeileedit")->setText(u"Tel. 0731 1"_qs);
    find<QCheckBox>("adressecheckbox")->setChecked(false);
    find<QCheckBox>("logocheckbox")->setChecked(true);
    find<QLineEdit>("nameedit")->setText(u"anders"_qs);  // not taken back
    find<QPushButton>("okbtn")->click();

    const PrintSettings &s = m_window->printSettings();
    QCOMPARE(s.headerLine1, settings::accountFullName());
    QCOMPARE(s.headerLine2, u", Kaminweg 3, Ulm"_qs);
    QCOMPARE(s.headerLine3, u"Tel. 0731 1"_qs);
    QVERIFY(!s.printAddress);
    QVERIFY(s.printLogo);

    SettingsFile file(settings::settingsFilePath());
    QVERIFY(file.load());
    QCOMPARE(file.lines(), QStringList({u"[VKQ]"_qs, u"Hoehe=2,5"_qs, u"[bkm]"_qs, u"kz2=, Kaminweg 3, Ulm"_qs,
                                        u"kz3=Tel. 0731 1"_qs, u"logodrucken=1"_qs, u"adressedrucken=0"_qs}));
    // Read back as the next start would.
    const PrintSettings again = settings::loadPrintSettings();
    QCOMPARE(again.headerLine2, s.headerLine2);
    QVERIFY(!again.printAddress);
    QVERIFY(again.printLogo);
}

void TestKopfzeilendlg::cancelChangesNothing()
{
    QFile f(settings::settingsFilePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    open();
    find<QLineEdit>("kopfzeileedit")->setText(u"verworfen"_qs);
    find<QCheckBox>("logocheckbox")->setChecked(true);
    find<QPushButton>("abbrechenbtn")->click();
    QCOMPARE(m_window->printSettings().headerLine3, u"Tel. 1234"_qs);
    QVERIFY(!m_window->printSettings().printLogo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    // Opened again, the dialog shows the settings in effect, not the dropped edit.
    open();
    QCOMPARE(find<QLineEdit>("kopfzeileedit")->text(), u"Tel. 1234"_qs);
    m_dialog->reject();
}

void TestKopfzeilendlg::failedWriteIsReportedAndTheValuesStayInEffect()
{
    // A directory in place of the file: it cannot be written.
    const QString path = settings::settingsFilePath();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    open();
    find<QLineEdit>("kopfzeileedit")->setText(u"Tel. neu"_qs);
    find<QPushButton>("okbtn")->click();
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"nach %1 kann nicht geschrieben werden. An dieser Stelle steht ein Ordner."_qs.arg(path)});
    QCOMPARE(m_window->printSettings().headerLine3, u"Tel. neu"_qs);
    QVERIFY(QDir().rmdir(path));
}

void TestKopfzeilendlg::helpTopic()
{
    open();
    QSignalSpy help(m_dialog, &DialogBase::helpRequested);
    QTest::keyClick(m_dialog, Qt::Key_F1);
    find<QPushButton>("hilfebtn")->click();
    QCOMPARE(help.count(), 2);
    QCOMPARE(help.at(0).at(0).toString(), u"::/kopfzeilen.htm"_qs);
    m_dialog->reject();
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestKopfzeilendlg test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kopfzeilendlg.moc"
