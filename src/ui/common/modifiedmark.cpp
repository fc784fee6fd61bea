#include "modifiedmark.h"

#include "tablestore.h"

#include <QWidget>

ModifiedMark::ModifiedMark(QWidget *window, const QString &caption, const QList<TableStore *> &stores)
    : QObject(window)
    , m_window(window)
    , m_caption(caption)
{
    for (TableStore *store : stores) {
        m_stores.append(store);
        // Every way a row becomes changed or clean again passes one of these.
        connect(store, &TableStore::stateChanged, this, &ModifiedMark::update);
        connect(store, &TableStore::fieldChanged, this, &ModifiedMark::update);
        connect(store, &TableStore::currentReloaded, this, &ModifiedMark::update);
        connect(store, &TableStore::afterPost, this, &ModifiedMark::update);
        connect(store, &TableStore::afterScroll, this, &ModifiedMark::update);
    }
    update();
}

QString ModifiedMark::captionFor(const QString &caption, bool modified)
{
    return modified ? caption + u" *"_qs : caption;
}

bool ModifiedMark::isModified() const
{
    for (const QPointer<TableStore> &store : m_stores)
        if (store && store->isOpen() && store->isModified())
            return true;
    return false;
}

void ModifiedMark::update()
{
    if (!m_window)
        return;
    const QString title = captionFor(m_caption, isModified());
    if (m_window->windowTitle() != title)
        m_window->setWindowTitle(title);
}
