#include "programicon.h"

#include <QDir>

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

QIcon programIcon()
{
    static const QIcon icon = [] {
        initIconResources();
        QIcon i;
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            i.addFile(u":/icons/icons/ofenring-%1.png"_qs.arg(size), QSize(size, size));
        return i;
    }();
    return icon;
}
