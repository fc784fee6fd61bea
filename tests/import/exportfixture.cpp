// A stand-in for a district program's export library, built in several
// variants (with or without each entry).  What it does is set by the test
// through environment variables:
//   OFENRING_FIXTURE_LOG         file to which each call appends a line:
//                                "entry1", "entry2 <mode> <current directory>"
//   OFENRING_FIXTURE_STATUS      status code entry 2 returns (default 0)
//   OFENRING_FIXTURE_EXPORTNAME  file entry 2 writes into the current directory
//   OFENRING_FIXTURE_EXPORT      the bytes it writes there

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

void logLine(const char *text)
{
    const char *path = std::getenv("OFENRING_FIXTURE_LOG");
    if (!path || !*path)
        return;
    if (FILE *f = std::fopen(path, "a")) {
        std::fputs(text, f);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

} // namespace

#ifdef FIXTURE_ENTRY1
extern "C" __attribute__((visibility("default"))) void kbv_export_1(void)
{
    logLine("entry1");
}
#endif

#ifdef FIXTURE_ENTRY2
extern "C" __attribute__((visibility("default"))) unsigned char kbv_export_2(int mode)
{
    char cwd[4096] = {};
    if (!getcwd(cwd, sizeof cwd - 1))
        std::strcpy(cwd, "?");
    char line[4200];
    std::snprintf(line, sizeof line, "entry2 %d %s", mode, cwd);
    logLine(line);

    const char *name = std::getenv("OFENRING_FIXTURE_EXPORTNAME");
    const char *content = std::getenv("OFENRING_FIXTURE_EXPORT");
    if (name && *name && content) {
        if (FILE *f = std::fopen(name, "wb")) {
            std::fwrite(content, 1, std::strlen(content), f);
            std::fclose(f);
        }
    }
    const char *status = std::getenv("OFENRING_FIXTURE_STATUS");
    return status ? static_cast<unsigned char>(std::atoi(status)) : 0;
}
#endif
