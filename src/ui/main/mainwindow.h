#pragma once

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
class QTabWidget;
class QToolButton;
class RecordNavigator;
class RecordStore;
class RemarksPage;
class ServerConnection;
class SketchModule;
class SketchPage;
class StatusPanel;
class StoreGrid;
class TableStore;
class TAboutBox;
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
    void modusWechsel();
    void uebersichtDblClick();
    void showOrtsliste(int target);
    void showEigentuemerliste(bool pick);
    void editTextList(TextLists::Kind kind);
    // The print command: a preview (false) or a direct print (true) of the
    // current record's protocol.
    void Druckvorschau1Click(bool print);
    // The header-lines dialog "Kopfzeile".
    void showKopfzeilen();
    PrintCommand *printCommand() const { return m_print; }

    // The help request of every "&Hilfe" button and F1 key of this window.
    void showHelp(const QString &topicPath);

signals:
    // The shutdown sequence has run and the window is closed.
    void shutdownFinished();

protected:
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
    void firstShow();
    void loadSketchModule();

    void navigate(bool (RecordStore::*move)());
    void insertRecord();
    void deleteRecord();
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
    std::unique_ptr<SketchModule> m_sketchModule;
    SketchPage *m_sketchPage = nullptr;
    BindingSet *m_bindings = nullptr;
    RecordNavigator *m_navigator = nullptr;
    QToolButton *m_sortOwner = nullptr;
    QToolButton *m_sortSite = nullptr;
    QToolButton *m_fontButton = nullptr;
    QToolButton *m_previewButton = nullptr;
    QToolButton *m_saveButton = nullptr;
    QCheckBox *m_confirm = nullptr;

    Teigentuemerdlg *m_ownerDlg = nullptr;
    Tortslistdlg *m_placeDlg = nullptr;
    Traumbezdlg *m_listDlg = nullptr;
    TAboutBox *m_about = nullptr;
    Tdatenbankdlg *m_databaseDlg = nullptr;
    TVolDialog *m_volDialog = nullptr;
    Tkopfzeilendlg *m_headerDlg = nullptr;
    PrintCommand *m_print = nullptr;
    bool m_ownerPick = false;
    PlaceTarget m_placeTarget = NoPlaceTarget;
};
