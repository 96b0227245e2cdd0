#include "ui/log/replay_check.h"

#include <QFileInfo>
#include <QStringList>

#include "app/event_record.h"
#include "app/menu_ids.h"
#include "app/messages.h"
#include "app/window_event.h"
#include "ui/window/control_table.h"

namespace zh {
namespace {

// The name the window writes for menu `id` (see Application::recordEvent).
QString menuName(int id) {
    const QString symbol = menu::symbolOf(id);
    return symbol.isEmpty() ? QStringLiteral("MenuID-") + QString::number(id) : symbol;
}

// The name the window writes for a use of `control` that `r` records.
QString controlName(const ControlInfo& control, const EventRecord& r) {
    if (control.kind == ControlKind::Panel) return QStringLiteral("tab") + QString::number(r.tab);
    return QString::fromLatin1(control.name);
}

QString say(Messages& m, const char* text, const QStringList& parameters = {}) {
    QString message = QString::fromUtf8(text);
    for (const QString& p : parameters) message += QLatin1Char('\t') + p;
    return m.lookupMessage(message, QStringLiteral("Application"));
}

QString startReason(Messages& m, const QString& line) {
    const std::optional<RecordingStart> start = parseStartRecord(line);
    if (!start) return say(m, "the start of the recording is not one this program knows");
    if (start->origin == RecordingStart::Origin::File && !QFileInfo(start->file).isFile())
        return say(m, "the recording began with the data of {file}, which is not there",
                   {start->file});
    return QString();
}

QString menuReason(Messages& m, const EventRecord& r, const QString& name,
                   const std::function<bool(int)>& isCommand) {
    if (name != menuName(r.menu))
        return say(m, "it names {name}, but menu {number} is {other}",
                   {name, QString::number(r.menu), menuName(r.menu)});
    if (isCommand && !isCommand(r.menu))
        return say(m, "menu {number} is no command of this program", {QString::number(r.menu)});
    return QString();
}

QString controlReason(Messages& m, const EventRecord& r, const QString& name) {
    const ControlInfo* control = findControl(r.gadget);
    if (!control || control->window != kMainWindow)
        return say(m, "there is no control {number} ({name}) in the window",
                   {QString::number(r.gadget), name});
    const ControlKind kind = control->kind;
    if (kind != ControlKind::Panel && kind != ControlKind::Button &&
        kind != ControlKind::ComboBox && kind != ControlKind::String)
        return say(m, "control {number} ({name}) takes no input",
                   {QString::number(r.gadget), name});
    if (name != controlName(*control, r) ||
        (control->kind == ControlKind::Panel && r.panel != r.gadget))
        return say(m, "it names {name}, but control {number} is {other}",
                   {name, QString::number(r.gadget), controlName(*control, r)});
    bool number = false;
    r.content.toInt(&number);
    if (control->kind == ControlKind::ComboBox && !number)
        return say(m, "the choice {content} of {name} is no number", {r.content, name});
    return QString();
}

}  // namespace

QString unplayableReason(Messages& messages, const QString& line,
                         const std::function<bool(int menu)>& isCommand) {
    if (line.startsWith(QLatin1String(kCommentMark))) return QString();
    if (isStartRecord(line)) return startReason(messages, line);
    const std::optional<EventRecord> r = parseEventRecord(line);
    if (!r) return say(messages, "the line is cut short or damaged, it holds no event");
    const QString name = r->name.trimmed();
    // The refresh step a read of the display's live block stands for.
    if (name == QLatin1String("UpdateDisplay")) return QString();
    if (r->type == EventMenu) return menuReason(messages, *r, name, isCommand);
    if (r->type == EventGadget) return controlReason(messages, *r, name);
    return say(messages, "it is no event the window records (kind {kind})",
               {QString::number(r->type)});
}

}  // namespace zh
