#include "datenbankdlg.h"

#include "dialogbuttons.h"
#include "messagebox.h"
#include "pgpass.h"
#include "programsettings.h"
#include "serversetup.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSysInfo>

namespace {

constexpr int kDefaultPort = 5432;

// libpq's sslmode values, as the dialog offers them.
const std::pair<const char *, const char16_t *> kSslModes[] = {
    {"prefer", u"verschlüsselt, wenn der Server es anbietet (prefer)"},
    {"require", u"immer verschlüsselt (require)"},
    {"verify-ca", u"verschlüsselt, Zertifikat geprüft (verify-ca)"},
    {"verify-full", u"verschlüsselt, Zertifikat und Servername geprüft (verify-full)"},
    {"allow", u"unverschlüsselt, wenn der Server es erlaubt (allow)"},
    {"disable", u"nie verschlüsselt (disable)"},
};

} // namespace

Tdatenbankdlg::Tdatenbankdlg(QWidget *parent) : DialogBase(parent)
{
    setObjectName(u"Tdatenbankdlg"_qs);
    setWindowTitle(u"Datenbank"_qs);
    setModal(true);
    setHelpTopic(u"::/datenbank.htm"_qs);

    m_local = new QRadioButton(u"&Lokal: die Tabellen im Ordner \"daten\" dieses Rechners"_qs, this);
    m_local->setObjectName(u"lokalradio"_qs);
    m_server = new QRadioButton(u"Daten&bankserver im Büro (PostgreSQL), für mehrere Arbeitsplätze"_qs, this);
    m_server->setObjectName(u"serverradio"_qs);
    auto *group = new QButtonGroup(this);
    group->addButton(m_local);
    group->addButton(m_server);
    connect(m_server, &QRadioButton::toggled, this, &Tdatenbankdlg::updateEnabled);

    const auto edit = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMinimumWidth(260);
        return e;
    };
    m_host = edit("serveredit");
    m_host->setPlaceholderText(u"z. B. server.local"_qs);
    m_port = new QSpinBox(this);
    m_port->setObjectName(u"portedit"_qs);
    m_port->setRange(1, 65535);
    m_port->setValue(kDefaultPort);
    m_database = edit("datenbankedit");
    m_user = edit("benutzeredit");
    m_password = edit("passwortedit");
    m_password->setEchoMode(QLineEdit::Password);
    m_remember = new QCheckBox(u"Passwort &merken"_qs, this);
    m_remember->setObjectName(u"passwortmerken"_qs);
    m_remember->setToolTip(u"Das Passwort wird in der Datei ~/.pgpass aufbewahrt, die nur Sie lesen können."_qs);
    m_sslMode = new QComboBox(this);
    m_sslMode->setObjectName(u"sslmodecombo"_qs);
    for (const auto &[mode, text] : kSslModes)
        m_sslMode->addItem(QString::fromUtf16(text), QString::fromLatin1(mode));
    m_desk = edit("arbeitsplatzedit");
    m_desk->setToolTip(u"Unter diesem Namen sehen die anderen Arbeitsplätze, wer einen Datensatz bearbeitet."_qs);
    m_check = new QPushButton(u"Verbindung &prüfen"_qs, this);
    m_check->setObjectName(u"pruefenbtn"_qs);
    m_check->setAutoDefault(false);
    connect(m_check, &QPushButton::clicked, this, &Tdatenbankdlg::checkConnection);

    auto *form = new QFormLayout;
    const auto row = [this, form](const QString &label, QWidget *field) {
        auto *l = new QLabel(label, this);
        l->setBuddy(field);
        form->addRow(l, field);
        m_serverControls << l << field;
    };
    auto *hostRow = new QHBoxLayout;
    hostRow->addWidget(m_host, 1);
    auto *portLabel = new QLabel(u"P&ort"_qs, this);
    portLabel->setBuddy(m_port);
    hostRow->addWidget(portLabel);
    hostRow->addWidget(m_port);
    auto *hostLabel = new QLabel(u"&Server"_qs, this);
    hostLabel->setBuddy(m_host);
    form->addRow(hostLabel, hostRow);
    m_serverControls << hostLabel << m_host << portLabel << m_port;
    row(u"&Datenbank"_qs, m_database);
    row(u"Ben&utzer"_qs, m_user);
    row(u"Pass&wort"_qs, m_password);
    form->addRow(QString(), m_remember);
    m_serverControls << m_remember;
    row(u"&Verschlüsselung"_qs, m_sslMode);
    row(u"&Arbeitsplatz"_qs, m_desk);
    form->addRow(QString(), m_check);
    m_serverControls << m_check;

    auto *serverBox = new QWidget(this);
    auto *indent = new QHBoxLayout(serverBox);
    indent->setContentsMargins(24, 0, 0, 0);
    indent->addLayout(form);

    auto *note = new QLabel(u"Die Änderung gilt ab dem nächsten Start des Programms."_qs, this);
    note->setWordWrap(true);

    const DialogButtons buttons = makeDialogButtons(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_local);
    layout->addWidget(m_server);
    layout->addWidget(serverBox);
    layout->addWidget(note);
    layout->addStretch(1);
    layout->addLayout(buttons.layout);
    setTabOrder(m_local, m_server);
}

void Tdatenbankdlg::showSettings()
{
    load(settings::databaseServer(), settings::deskName());
    open();
    (m_server->isChecked() ? static_cast<QWidget *>(m_server) : m_local)->setFocus(Qt::OtherFocusReason);
}

void Tdatenbankdlg::load(const QString &uri, const QString &desk)
{
    m_loadedUri = uri;
    m_loadedDesk = desk;
    m_loaded = ServerAddress();
    const bool server = !uri.isEmpty() && ServerAddress::parse(uri, &m_loaded);
    (server ? m_server : m_local)->setChecked(true);
    m_host->setText(m_loaded.host);
    m_port->setValue(m_loaded.port > 0 ? m_loaded.port : kDefaultPort);
    m_database->setText(server ? m_loaded.database : u"ofenring"_qs);
    m_user->setText(m_loaded.user);
    m_password->clear();
    const bool kept = server && !pgpass::lookup(m_loaded).isEmpty();
    m_remember->setChecked(kept);
    m_password->setPlaceholderText(kept ? u"(gemerkt)"_qs : QString());
    const int mode = m_sslMode->findData(m_loaded.sslMode());
    m_sslMode->setCurrentIndex(mode >= 0 ? mode : 0);
    m_desk->setText(desk.isEmpty() ? QSysInfo::machineHostName() : desk);
    updateEnabled();
}

void Tdatenbankdlg::updateEnabled()
{
    for (QWidget *w : m_serverControls)
        w->setEnabled(m_server->isChecked());
}

bool Tdatenbankdlg::address(ServerAddress *out, QString *error) const
{
    ServerAddress a = m_loaded;
    a.host = m_host->text().trimmed();
    a.port = m_port->value();
    a.database = m_database->text().trimmed();
    a.user = m_user->text().trimmed();
    a.password = m_password->text();
    const QString mode = m_sslMode->currentData().toString();
    if (mode != u"prefer"_qs || !a.option(u"sslmode"_qs).isEmpty())
        a.setOption(u"sslmode"_qs, mode);
    if (a.database.isEmpty()) {
        *error = u"Bitte geben Sie den Namen der Datenbank an."_qs;
        return false;
    }
    *out = a;
    return true;
}

void Tdatenbankdlg::checkConnection()
{
    ServerAddress a;
    QString error;
    if (!address(&a, &error)) {
        MessageBox::error(error);
        return;
    }
    // The password the user did not type may be kept already.
    const QString reason = ServerConnection::probe(a);
    if (!reason.isEmpty()) {
        MessageBox::error(reason);
        return;
    }
    ServerConnection probe(a, m_desk->text().trimmed());
    if (!probe.open()) {
        MessageBox::error(probe.errorString());
        return;
    }
    const QStringList tables = ServerSetup::existingTables(&probe, &error);
    QString text = u"Die Verbindung zum Datenbankserver \"%1\" steht."_qs.arg(a.shownName());
    if (!error.isEmpty())
        text += u" Die Tabellen lassen sich aber nicht lesen: "_qs + error;
    else if (tables.isEmpty())
        text += u" Die Datenbank enthält aber noch keine Tabellen von Ofenring; sie werden mit dem Befehl "
                "\"ofenring-cli server-einrichten --server URI --von DATENORDNER\" aus einem Datenordner angelegt."_qs;
    else
        text += u" Die Tabellen von Ofenring sind eingerichtet."_qs;
    MessageBox::information(text);
}

void Tdatenbankdlg::accept()
{
    QString uri;
    QString error;
    const QString desk = m_desk->text().trimmed();
    if (m_server->isChecked()) {
        ServerAddress a;
        if (!address(&a, &error)) {
            MessageBox::error(error);
            m_database->setFocus(Qt::OtherFocusReason);
            return;
        }
        // The password goes into libpq's password file, or nowhere.
        const bool stored = m_remember->isChecked()
            ? (a.password.isEmpty() || pgpass::store(a, a.password, &error))
            : pgpass::remove(a, &error);
        if (!stored) {
            MessageBox::error(error);
            return;
        }
        uri = a.toUri();
    }
    if (!settings::saveDatabaseSettings(uri, desk, &error)) {
        MessageBox::error(error);
        return;
    }
    if (uri != m_loadedUri || desk != m_loadedDesk) {
        ServerAddress shown;
        ServerAddress::parse(uri, &shown);
        MessageBox::information(uri.isEmpty()
                                    ? u"Ab dem nächsten Start arbeitet das Programm mit den Tabellen im Ordner \"daten\"."_qs
                                    : u"Ab dem nächsten Start arbeitet das Programm mit den Tabellen auf dem "
                                      "Datenbankserver \"%1\"."_qs.arg(shown.shownName()));
    }
    DialogBase::accept();
}

// --- the password at start -------------------------------------------------------

Tpasswortdlg::Tpasswortdlg(const ServerAddress &address, const QString &reason, QWidget *parent) : DialogBase(parent)
{
    setObjectName(u"Tpasswortdlg"_qs);
    setWindowTitle(u"Passwort für den Datenbankserver"_qs);
    setModal(true);
    setHelpTopic(u"::/datenbank.htm"_qs);
    auto *text = new QLabel(reason.isEmpty() ? u"Bitte geben Sie das Passwort für den Datenbankserver \"%1\" ein."_qs.arg(
                                                   address.shownName())
                                             : reason,
                            this);
    text->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"passwortedit"_qs);
    m_password->setEchoMode(QLineEdit::Password);
    auto *label = new QLabel(u"Pass&wort"_qs, this);
    label->setBuddy(m_password);
    m_remember = new QCheckBox(u"Passwort &merken"_qs, this);
    m_remember->setObjectName(u"passwortmerken"_qs);
    m_remember->setToolTip(u"Das Passwort wird in der Datei ~/.pgpass aufbewahrt, die nur Sie lesen können."_qs);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_password, 1);
    const DialogButtons buttons = makeDialogButtons(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(row);
    layout->addWidget(m_remember);
    layout->addLayout(buttons.layout);
    m_password->setFocus(Qt::OtherFocusReason);
}

QString Tpasswortdlg::password() const
{
    return m_password->text();
}

bool Tpasswortdlg::remember() const
{
    return m_remember->isChecked();
}
