#include "programprotocols.h"

#include "apppaths.h"

namespace report {

SketchModule::LoadResult loadSketchModule(SketchModule &module)
{
    return module.load(settings::applicationPath(u"Grundbild.exe"_qs), SketchModule::programLibraryDirs());
}

SketchPainter sketchPainter(SketchModule *module)
{
    if (!module)
        return {};
    return [module](QPainter &canvas, const QStringList &lines, int x, int y, double scaleX, double scaleY) {
        return module->draw(lines, &canvas, x, y, scaleX, scaleY);
    };
}

std::unique_ptr<Protocols> programProtocols(SettingsSource settings, SketchModule *module)
{
    return std::make_unique<Protocols>(std::move(settings), sketchPainter(module));
}

StandaloneProtocols::StandaloneProtocols()
    : m_settings(settings::loadPrintSettings())
    , m_load(loadSketchModule(m_module))
    , m_protocols(programProtocols([this]() -> const PrintSettings & { return m_settings; }, &m_module))
{
}

} // namespace report
