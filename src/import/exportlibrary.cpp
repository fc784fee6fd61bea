#include "exportlibrary.h"

#include <QLibrary>

const char *ExportLibrary::entry1Symbol()
{
    return "kbv_export_1";
}

const char *ExportLibrary::entry2Symbol()
{
    return "kbv_export_2";
}

QString ExportLibrary::fileName(const QString &baseName)
{
#if defined(Q_OS_WIN)
    return baseName + u".dll"_qs;
#elif defined(Q_OS_MACOS)
    return baseName + u".dylib"_qs;
#else
    return baseName + u".so"_qs;
#endif
}

ExportLibrary::Result ExportLibrary::run(const QString &path, int *status, const std::function<void()> &beforeEntry2)
{
    using Entry1 = void (*)();
    using Entry2 = unsigned char (*)(int);

    QLibrary library(path);
    if (!library.load())
        return Result::NotLoaded;

    if (auto entry1 = reinterpret_cast<Entry1>(library.resolve(entry1Symbol())))
        entry1();
    auto entry2 = reinterpret_cast<Entry2>(library.resolve(entry2Symbol()));
    if (beforeEntry2)
        beforeEntry2();
    if (!entry2) {
        library.unload();
        return Result::EntryMissing;
    }
    const unsigned char code = entry2(0);
    library.unload();
    *status = code;
    return Result::Called;
}
