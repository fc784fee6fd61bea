#pragma once

#include "dialogbase.h"
#include "serverconnection.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Datenbank" (menu Einstellungen → Datenbank …): where this desk's tables
// are — the local data folder, or the office's PostgreSQL server with its
// address, database, user, password, encryption and the name of this desk.
// "Verbindung prüfen" tries the server at once.  "OK" writes the choice into
// the program's settings file ([Datenbank] Server, Arbeitsplatz), never the
// password: that is asked at start, or kept in ~/.pgpass when "Passwort
// merken" is ticked.  The new choice applies from the next start.
class Tdatenbankdlg : public DialogBase {
    Q_OBJECT
public:
    explicit Tdatenbankdlg(QWidget *parent = nullptr);

    // Fills the dialog from the settings file and shows it.
    void showSettings();
    // The address the fields give (password included); false with a German
    // reason when they give none.
    bool address(ServerAddress *out, QString *error) const;
    // "Verbindung prüfen".
    void checkConnection();

    void accept() override;

private:
    void load(const QString &uri, const QString &desk);
    void updateEnabled();

    QRadioButton *m_local = nullptr;
    QRadioButton *m_server = nullptr;
    QLineEdit *m_host = nullptr;
    QSpinBox *m_port = nullptr;
    QLineEdit *m_database = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_password = nullptr;
    QCheckBox *m_remember = nullptr;
    QComboBox *m_sslMode = nullptr;
    QLineEdit *m_desk = nullptr;
    QPushButton *m_check = nullptr;
    QList<QWidget *> m_serverControls;
    ServerAddress m_loaded;   // the options of the URI the dialog does not show are kept
    QString m_loadedUri;
    QString m_loadedDesk;
};

// The question for the server password at start: the password and whether
// to keep it ("Passwort merken").
class Tpasswortdlg : public DialogBase {
    Q_OBJECT
public:
    explicit Tpasswortdlg(const ServerAddress &address, const QString &reason, QWidget *parent = nullptr);
    QString password() const;
    bool remember() const;

private:
    QLineEdit *m_password = nullptr;
    QCheckBox *m_remember = nullptr;
};
