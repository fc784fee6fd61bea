#pragma once

#include "backup.h"
#include "printsettings.h"
#include "textlists.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class AufstellungsraumPage;
class BindingSet;
class CatalogStore;
class LuftverbundPage;
class PrintCommand;
class GeneralPage;
class QAction;
class QCheckBox;
class QLineEdit;
class QTabWidget;
class QToolButton;
class RecordNavigator;
class RecordStore;
class RemarksPage;
class RestoreBackupDialog;
class ServerConnection;
class SketchModule;
namespace report {
class Protocols;
}
class SketchPage;
class StatusPanel;
class StoreGrid;
class TableStore;
class TAboutBox;
class Tbetriebdlg;
class Tdatenbankdlg;
class Teigentuemerdlg;
class Tkopfzeilendlg;
class Tortslistdlg;
class Traumbezdlg;
class TVolDialog;

// The main window: the overview of all installation records, the general data
// page, the pages of the two calculation modes, remarks and sketch, the
// toolbar with the record navigator and the sort toggles, the status panel of
// the current record and the menus.  It owns the four tables and every dialog,
// each created once and shown on demand.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // The pages in their tab order.
    enum Page { Uebersicht, Allgemein, Luftverbund, Aufstellungsraum, Anmerkungen, Zeichnung, PageCount };

    // Creates the window and its dialogs and opens the tables of `dataDir`.
    explicit TForm1(const QString &dataDir = QStringLiteral("daten"), QWidget *parent = nullptr);
    // Office mode: the tables on the server of `server` (an open connection
    // that outlives the window); without one, the tables of ./daten.
    explicit TForm1(ServerConnection *server, QWidget *parent = nullptr);
    ~TForm1() override;

    ServerConnection *server() const { return m_server; }

    // False when kq.db could not be opened (the error has been shown).
    bool tablesOpen() const { return m_tablesOpen; }

    RecordStore *recordStore() const { return m_kq; }
    CatalogStore *ownerStore() const { return m_owners; }
    CatalogStore *placeStore() const { return m_places; }
    CatalogStore *remarkStore() const { return m_remarks; }
    TextLists &textLists() { return m_lists; }
    const PrintSettings &printSettings() const { return m_printSettings; }
    double defaultRoomHeight() const { return m_roomHeight; }

    // The page widget of a tab; the later pages put their content in with
    // installPage.  Every page but the overview sits in a scroll area of its
    // own, so a page that cannot shrink further scrolls in a small window.
    QWidget *page(Page p) const { return m_pageWidgets[p]; }
    // Puts a finished page in place of its placeholder; from then on its tab
    // is shown by the rules of that page (always, or by the record's mode).
    void installPage(Page p, QWidget *content);
    Page activePage() const;
    void setActivePage(Page p);
    bool isTabShown(Page p) const;
    // The page that was active before the last page change or record move.
    QString rememberedPage() const { return m_rememberedPage; }

    // Shows the window in its normal state and in front (second start).
    void bringToFront();

    // Writes every typed text the record has not seen yet; false when a typed
    // number was rejected (the message has been shown).
    bool commitEdits();
    // "Datensatz speichern" (Ctrl+S): saves the current record's pending
    // changes without moving and without the save question.
    bool saveRecord();

    // The commands, callable by name (menus, toolbar and tests use the same).
    // The mode switch: the tab of the record's mode page is shown; when the
    // remembered page was a mode page (and followRememberedPage), that of the
    // record's mode becomes the active page.  Without it the page only
    // changes when its tab goes.
    void modusWechsel(bool followRememberedPage = true);
    void uebersichtDblClick();
    void showOrtsliste(int target);
    void showEigentuemerliste(bool pick);
    void editTextList(TextLists::Kind kind);
    // The print command: a preview (false) or a direct print (true) of the
    // current record's protocol.
    void Druckvorschau1Click(bool print);
    // The header-lines dialog "Kopfzeile".
    void showKopfzeilen();
    // The office's name for letterhead and sender line: asked once while none
    // is kept ("Name des Betriebs", proposing the account's full name); it
    // heads the protocols of this run.  "Einstellungen → Betrieb …" changes
    // the kept name, which heads the protocols from the next start on.
    void askOfficeNameOnce();
    void showBetrieb();
    Tbetriebdlg *officeDialog() const { return m_officeDlg; }

    // Records by keyboard: "Neu" (the focus on the new record's mode),
    // "Löschen" (after "Datensatz löschen?") and the moves.
    void insertRecord();
    void deleteRecord();

    // The quick search above the overview ("Suchen", Ctrl+F): the overview
    // shows the records found as one types; Enter opens the first of them,
    // Escape shows the whole table again with the current record kept.
    void suchen();
    QLineEdit *searchField() const { return m_search; }
    PrintCommand *printCommand() const { return m_print; }

    // The help request of every "&Hilfe" button and F1 key of this window.
    void showHelp(const QString &topicPath);

    // Backups of the data folder (none in office mode, where the server keeps them).
    // The first start of a day backs the tables up; a failure is said once a day.
    void dailyBackup();
    // "Sicherung anlegen": saves the current record, then backs everything up.
    void makeBackup();
    // "Sicherung wiederherstellen …": the list of backups.
    void showRestoreBackup();
    // Asks "Die Daten vom … ersetzen die heutigen. …", saves pending changes,
    // backs today's data up, puts the backup in place and shows it.
    bool restoreBackup(const Backup::Info &backup);
    QString dataDir() const { return m_dataDir; }

signals:
    // The shutdown sequence has run and the window is closed.
    void shutdownFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    enum PlaceTarget { NoPlaceTarget, SitePlace, OwnerPlace };

    TForm1(const QString &dataDir, ServerConnection *server, QWidget *parent);
    // Office mode: what the other desks do shows here.
    void followServer();
    QString officeNotice() const;

    void buildMenus();
    void assignShortcuts();
    QWidget *buildToolbar();
    void buildPages();
    void installWorkPages();
    void createDialogs();
    void openTables(const QString &dataDir);
    // Finishes every pending change of the four tables; false on a refusal.
    bool finishAllEditing();
    void reloadAfterRestore();
    void firstShow();
    void loadSketchModule();

    void navigate(bool (RecordStore::*move)());
    // The keyboard focus where the active page starts: the overview on the
    // current record, a page with a first field in it.
    void focusActivePage();
    void searchEdited(const QString &text);
    void openFirstMatch();
    void clearSearch();
    void updateRecordCount();
    void sortToggled(QToolButton *button, bool pressed);
    void syncSortButtons();
    void updateNavigator();
    void refreshStatus();
    void beforeScroll();
    void afterScroll();
    void pageAboutToChange(int index);

    bool confirmClose();
    bool shutdown();
    // After a failed save of a pending row at closing: asks whether to close
    // without saving it, naming what is lost; true when the program may end.
    bool mayCloseWithoutSaving(TableStore *store);

    void takeOwner();
    void takePlace(PlaceTarget target);

    ServerConnection *m_server = nullptr;
    RecordStore *m_kq = nullptr;
    CatalogStore *m_owners = nullptr;
    CatalogStore *m_places = nullptr;
    CatalogStore *m_remarks = nullptr;
    QString m_dataDir;
    TextLists m_lists;
    PrintSettings m_printSettings;
    double m_roomHeight = 2.7;
    bool m_tablesOpen = false;
    bool m_firstShowDone = false;
    bool m_closed = false;

    QTabWidget *m_pages = nullptr;
    QWidget *m_pageWidgets[PageCount] = {};
    bool m_pageInstalled[PageCount] = {};
    QString m_rememberedPage;
    QString m_activePageName;
    bool m_switchingPages = false;

    QPointer<LuftverbundPage> m_luftverbund;
    QPointer<AufstellungsraumPage> m_aufstellungsraum;
    StoreGrid *m_grid = nullptr;
    GeneralPage *m_general = nullptr;
    StatusPanel *m_status = nullptr;
    RemarksPage *m_remarksPage = nullptr;
    // Loaded at the first show; the protocols draw their sketches through it.
    std::unique_ptr<SketchModule> m_sketchModule;
    std::unique_ptr<report::Protocols> m_protocols;
    SketchPage *m_sketchPage = nullptr;
    BindingSet *m_bindings = nullptr;
    RecordNavigator *m_navigator = nullptr;
    QToolButton *m_sortOwner = nullptr;
    QToolButton *m_sortSite = nullptr;
    QToolButton *m_fontButton = nullptr;
    QToolButton *m_previewButton = nullptr;
    QToolButton *m_saveButton = nullptr;
    QCheckBox *m_confirm = nullptr;
    QLineEdit *m_search = nullptr;
    bool m_searchUpdating = false;

    Teigentuemerdlg *m_ownerDlg = nullptr;
    Tortslistdlg *m_placeDlg = nullptr;
    Traumbezdlg *m_listDlg = nullptr;
    TAboutBox *m_about = nullptr;
    Tdatenbankdlg *m_databaseDlg = nullptr;
    TVolDialog *m_volDialog = nullptr;
    Tkopfzeilendlg *m_headerDlg = nullptr;
    RestoreBackupDialog *m_backupDlg = nullptr;
    Tbetriebdlg *m_officeDlg = nullptr;
    bool m_askingFirstStart = false;
    PrintCommand *m_print = nullptr;
    bool m_ownerPick = false;
    PlaceTarget m_placeTarget = NoPlaceTarget;
};
