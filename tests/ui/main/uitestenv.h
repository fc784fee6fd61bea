#pragma once

// Shared by the GUI tests: every test runs in a temporary working directory of
// its own (so ./daten is its own) with HOME and the XDG directories pointing
// into a temporary directory, and answers every message box from the queue.

#include "catalogstore.h"
#include "messagebox.h"
#include "recordstore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

struct UiTestDir {
    std::unique_ptr<QTemporaryDir> dir;

    void enter()
    {
        dir = std::make_unique<QTemporaryDir>();
        QDir::setCurrent(dir->path());
        MessageBox::resetScript();
        MessageBox::setScripted(true);
    }
    void leave()
    {
        QDir::setCurrent(QDir::tempPath());
        dir.reset();
        MessageBox::resetScript();
        MessageBox::setScripted(true);
    }
};

// The control of that object name below `root`; a test cannot go on without it.
template <typename T>
T *findNamed(QObject *root, const char *name)
{
    T *w = root->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("control %s not found", name);
    return w;
}

// Points HOME and the XDG directories at a temporary directory; call before
// the application object exists.
inline void useTemporaryHome()
{
    static QTemporaryDir home;
    const QByteArray h = home.path().toLocal8Bit();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/config");
    qputenv("XDG_DATA_HOME", h + "/data");
    qputenv("XDG_CACHE_HOME", h + "/cache");
    qputenv("XDG_RUNTIME_DIR", h + "/runtime");
    QDir().mkpath(home.path() + u"/runtime"_qs);
    QFile::setPermissions(home.path() + u"/runtime"_qs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Saves rows into a table of ./daten, one per map of field values.
inline void seedTable(TableStore &store, const QList<QVariantMap> &rows)
{
    store.setConfirmChanges(false);
    if (!store.isOpen())
        store.open();
    for (const QVariantMap &row : rows) {
        store.insert();
        for (auto it = row.begin(); it != row.end(); ++it)
            store.setFieldValue(it.key(), it.value());
        store.post();
    }
    store.close();
}

inline void seedRecords(const QList<QVariantMap> &rows)
{
    RecordStore store;
    seedTable(store, rows);
}

inline void seedCatalog(CatalogStore::Kind kind, const QList<QVariantMap> &rows)
{
    CatalogStore store(kind);
    seedTable(store, rows);
}

// A stored record of ./daten read back by its key, bypassing the window.
inline Record storedRecord(int key)
{
    RecordStore store;
    store.open();
    store.goToKey(key);
    Record r = store.current();
    store.close();
    return r;
}
