#include "aboutbox.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestAboutBox : public QObject {
    Q_OBJECT

private slots:
    void showsNameVersionAndBuildTime();
};

void TestAboutBox::showsNameVersionAndBuildTime()
{
    // The build line follows the program file: give it a known time and put
    // the real one back afterwards.
    QFile program(QCoreApplication::applicationFilePath());
    QVERIFY(program.open(QIODevice::ReadOnly));
    const QDateTime original = program.fileTime(QFileDevice::FileModificationTime);
    auto restore = qScopeGuard([&] { program.setFileTime(original, QFileDevice::FileModificationTime); });
    QVERIFY(program.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7)), QFileDevice::FileModificationTime));

    TAboutBox box;
    QCOMPARE(box.objectName(), u"TAboutBox"_qs);
    QCOMPARE(box.windowTitle(), u"Info"_qs);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.minimumSize(), box.maximumSize());

    QCOMPARE(box.findChild<QLabel *>(u"productname"_qs)->text(), u"Ofenring"_qs);
    QVERIFY(QRegularExpression(uR"(^Version \d+\.\d+\.\d+$)"_qs)
                .match(box.findChild<QLabel *>(u"version"_qs)->text()).hasMatch());
    QVERIFY(!box.findChild<QLabel *>(u"systems"_qs)->text().isEmpty());
    auto *build = box.findChild<QLabel *>(u"buildlabel"_qs);
    QCOMPARE(build->text(), u"Built: 05.03.24 14:07"_qs);

    // A double click into the window reads the file's time again.
    QVERIFY(program.setFileTime(QDateTime(QDate(2025, 11, 28), QTime(9, 30)), QFileDevice::FileModificationTime));
    QTest::mouseDClick(&box, Qt::LeftButton);
    QCOMPARE(build->text(), u"Built: 28.11.25 09:30"_qs);

    QTest::mouseClick(box.findChild<QPushButton *>(u"okbtn"_qs), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

// The platform plugin looks for the runtime directory as soon as the
// application object exists: give it a temporary one of its own.
int main(int argc, char *argv[])
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestAboutBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_aboutbox.moc"
