#include "menu_ids.h"

namespace zh::menu {
namespace {

struct Symbol {
    int id;
    const char* name;
};

constexpr Symbol kSymbols[] = {
    {kToolExit, "#ToolBarBtn_Exit"},
    {kToolNew, "#ToolBarBtn_New"},
    {kToolOpen, "#ToolBarBtn_Open"},
    {kToolAdd, "#ToolBarBtn_add"},
    {kToolSave, "#ToolBarBtn_Save"},
    {kOpen, "#MenuOpen"},
    {kSave, "#MenuSave"},
    {kSaveAs, "#MenuSaveAs"},
    {kNew, "#MenuNew"},
    {kStartLog, "#MenuStartLog"},
    {kStopLog, "#MenuStopLog"},
    {kConfigDisplay, "#MenuConfigDisp"},
    {kConfigTransmitter, "#MenuConfigTransm"},
    {kConfigAll, "#MenuConfigAll"},
    {kConfigAuto, "#MenuConfigAuto"},
    {kExit, "#MenuExit"},
    {kConnect, "#MenuConnect"},
    {kDisconnect, "#MenuDisConnect"},
    {kReadAll, "#MenuReadAll"},
    {kWriteAll, "#MenuWriteAll"},
    {kWriteChanges, "#MenuWriteChanges"},
    {kAbout, "#MenuAbout1"},
    {kHartAddress, "#MenuHartAddr"},
    {kScanLoop, "#MenuScanLoop"},
    {kHartDevice, "#MenuHartDevice"},
    {kCompare, "#MenuCompare"},
    {kEnterPort, "#MenuEnterPort"},
    {kManual, "#MenuManual"},
    {kServiceReport, "#MenuServiceReport"},
    {kDeviceHistory, "#MenuDeviceHistory"},
    {kScanAll, "#MenuScanAll"},
    {kPopupNew, "#PopMenuNew"},
    {kPopupWriteAll, "#PopMenuWriteAll"},
    {kPopupWriteChanges, "#PopMenuWriteChanges"},
    {kToolConnect, "#TBBtnConnectModule"},
    {kToolDisconnect, "#TBBtnDisconnectModule"},
    {kToolRead, "#TBBtnReadModule"},
    {kToolWrite, "#TBBtnWriteModule"},
};

// The numbered families: prefix + position (1-based).
struct Family {
    int first;
    const char* prefix;
};
constexpr Family kFamilies[] = {
    {kFirstNewMeasurand, "#MenuNewSub1-"},
    {kFirstPopupMeasurand, "#PopMenuM1-"},
};

}  // namespace

QString symbolOf(int id) {
    for (const Symbol& s : kSymbols) {
        if (s.id == id) return QLatin1String(s.name);
    }
    for (const Family& f : kFamilies) {
        if (id >= f.first && id < f.first + kMaxMeasurands) {
            return QLatin1String(f.prefix) + QString::number(id - f.first + 1);
        }
    }
    return QString();
}

int idOfSymbol(QStringView symbol) {
    QString name = symbol.trimmed().toString();
    if (!name.startsWith(QLatin1Char('#'))) name.prepend(QLatin1Char('#'));
    for (const Symbol& s : kSymbols) {
        if (name == QLatin1String(s.name)) return s.id;
    }
    for (const Family& f : kFamilies) {
        const QLatin1String prefix(f.prefix);
        if (!name.startsWith(prefix)) continue;
        bool ok = false;
        const int position = name.mid(prefix.size()).toInt(&ok);
        if (ok && position >= 1 && position <= kMaxMeasurands) return f.first + position - 1;
    }
    return -1;
}

}  // namespace zh::menu
