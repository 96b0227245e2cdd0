#include "ui/dialogs/universal_window.h"

#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "files/file_names.h"
#include "files/universal_file.h"
#include "hart/hart_session.h"
#include "hart/identity_message.h"
#include "hart/progress_steps.h"
#include "hart/request_sender.h"
#include "hart/response_codes.h"
#include "hart/universal_codes.h"
#include "hart/wire_values.h"
#include "ui/dialogs/button_mnemonics.h"

namespace zh {
namespace {

constexpr const char* kSection = "SerialIO";
constexpr const char* kFilePattern = "HART device data (*.hrt)|*.hrt";

// Numbers show in the desktop's notation (a decimal comma under German).
QString number(float value) {
    return QLocale().toString(static_cast<double>(value), 'g', 7);
}

bool parseNumber(const QString& text, float* out) {
    double v = 0.0;
    if (!parseUserNumber(text, &v)) return false;
    *out = static_cast<float>(v);
    return true;
}

QString withUnit(float value, int unit) {
    return number(value) + QLatin1Char(' ') + unitCodeName(unit);
}

QString hexBytes(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// The window's rows: a shown value (maxLength 0) or an editor of at most
// maxLength characters, by group.
struct Row {
    const char* label;
    const char* name;
    int maxLength;
};
struct Group {
    const char* title;
    int row, column;
    Row rows[6];  // up to the first without a name
};
constexpr Group kGroups[] = {
    {"Device",
     0,
     0,
     {{"Identity", "identity", 0},
      {"Device status", "deviceStatus", 0},
      {"Additional status", "additionalStatus", 0},
      {"Final assembly number", "finalAssembly", 0}}},
    {"Identification",
     0,
     1,
     {{"Tag", "tag", 8},
      {"Descriptor", "descriptor", 16},
      {"Date (yyyy-mm-dd)", "date", 10},
      {"Message", "message", 32},
      {"Long tag", "longTag", 32}}},
    {"Values",
     1,
     0,
     {{"Primary value", "pv", 0},
      {"Loop current", "loopCurrent", 0},
      {"Dynamic variables", "dynamic", 0},
      {"Sensor", "sensor", 0}}},
    {"Output",
     1,
     1,
     {{"Settings", "output", 0},
      {"Upper range value", "upperRange", 16},
      {"Lower range value", "lowerRange", 16},
      {"Damping [s]", "damping", 16},
      {"PV unit", "pvUnit", 16}}},
};

}  // namespace

UniversalWindow::UniversalWindow(Program& program, HartSession& session, QWidget* parent)
    : QDialog(parent), p_(program), session_(session), device_(program, session) {
    setObjectName(QStringLiteral("universalWindow"));
    setWindowTitle(tr("HART device"));
    device_.tries = std::max(1, p_.state.RequestTries);

    auto* grid = new QGridLayout(this);
    for (const Group& g : kGroups) {
        auto* box = new QGroupBox(tr(g.title), this);
        auto* form = new QFormLayout(box);
        for (const Row& r : g.rows) {
            if (!r.name) break;
            if (r.maxLength == 0) {
                form->addRow(tr(r.label), addValue(r.name));
                continue;
            }
            QLineEdit* e = addEditor(r.name, r.maxLength);
            if (QLatin1String(r.name) != QLatin1String("upperRange")) {
                form->addRow(tr(r.label), e);
                continue;
            }
            // The range values' unit beside the first of them.
            rangeUnit_ = new QLabel(this);
            auto* line = new QHBoxLayout;
            line->addWidget(e);
            line->addWidget(rangeUnit_);
            form->addRow(tr(r.label), line);
        }
        grid->addWidget(box, g.row, g.column);
    }

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* caption, const char* name) {
        auto* b = new QPushButton(tr(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    connect(button("Read", "read"), &QPushButton::clicked, this, [this] { read(); });
    connect(button("Write", "write"), &QPushButton::clicked, this, [this] { write(); });
    save_ = button("Save", "save");
    open_ = button("Open", "open");
    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    connect(open_, &QPushButton::clicked, this, [this] { openFile(); });
    buttons->addStretch();
    connect(button("Close", "close"), &QPushButton::clicked, this, &QDialog::close);

    grid->addLayout(buttons, 2, 0, 1, 2);
    markButtons(*this);
    showData(UniversalData());
}

QString UniversalWindow::tr(const char* text) const {
    return p_.messages.lookupMessage(QString::fromUtf8(text), QLatin1String(kSection));
}

QString UniversalWindow::word(const QString& english) const {
    const bool numbered =
        std::any_of(english.begin(), english.end(), [](QChar c) { return c.isDigit(); });
    return numbered ? english : p_.messages.lookupMessage(english, QLatin1String(kSection));
}

QStringList UniversalWindow::words(const QStringList& english) const {
    QStringList translated;
    for (const QString& w : english) translated << word(w);
    return translated;
}

QString UniversalWindow::identityLine(const DeviceIdentity& id) const {
    const QString more = QStringLiteral(
        ", device ID {id}, device revision {devrev}, software {software}, hardware {hardware}");
    const QStringList values{
        QStringLiteral("0x") +
            QStringLiteral("%1").arg(id.deviceId, 6, 16, QLatin1Char('0')).toUpper(),
        QString::number(id.deviceRevision), QString::number(id.softwareRevision),
        QString::number(id.hardwareRevision)};
    return p_.messages.lookupMessage(
        identityMessage(id, QString(), more) + QLatin1Char('\t') + values.join(QLatin1Char('\t')),
        QLatin1String(kSection));
}

QLineEdit* UniversalWindow::addEditor(const char* name, int maxLength) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    editors_.insert(QLatin1String(name), e);
    return e;
}

QLabel* UniversalWindow::addValue(const char* name) {
    auto* l = new QLabel(this);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setWordWrap(true);
    l->setMinimumWidth(260);
    values_.insert(QLatin1String(name), l);
    return l;
}

QLineEdit* UniversalWindow::editor(const QString& name) const {
    return editors_.value(name);
}
QLabel* UniversalWindow::value(const QString& name) const {
    return values_.value(name);
}

bool UniversalWindow::edited(const QString& name) const {
    const QLineEdit* e = editors_.value(name);
    return e && e->isEnabled() && e->text() != shown_.value(name);
}

void UniversalWindow::showData(const UniversalData& d) {
    data_ = d;
    const DeviceIdentity& id = d.identity;
    // A command the device did not answer shows why.
    const auto missing = [&](int command) {
        const auto refused = d.refused.constFind(command);
        return refused == d.refused.constEnd()
                   ? QStringLiteral("-")
                   : tr("not available") + QStringLiteral(" (") +
                         responseCodeText(refused.value()) + QLatin1Char(')');
    };
    const auto show = [&](const char* name, int command, const QString& text) {
        values_.value(QLatin1String(name))->setText(d.has(command) ? text : missing(command));
    };
    values_.value(QStringLiteral("identity"))
        ->setText(id.valid ? identityLine(id) : QStringLiteral("-"));
    values_.value(QStringLiteral("deviceStatus"))
        ->setText(!id.valid ? QStringLiteral("-")
                  : deviceStatus_ == 0
                      ? tr("OK")
                      : words(deviceStatusWords(deviceStatus_)).join(QStringLiteral(", ")));
    const QStringList status = words(additionalStatusWords(d.additionalStatus));
    show("additionalStatus", 48,
         hexBytes(d.additionalStatus) +
             (status.isEmpty() ? QString()
                               : QStringLiteral(": ") + status.join(QStringLiteral(", "))));
    show("finalAssembly", 16, QString::number(d.finalAssemblyNumber));
    show("pv", 1, withUnit(d.pv, d.pvUnit));
    show("loopCurrent", 2,
         number(d.loopCurrent) + QStringLiteral(" mA, ") + number(d.percentOfRange) +
             QStringLiteral(" %"));
    QStringList dynamic;
    const float variables[] = {d.sv, d.tv, d.qv};
    const int units[] = {d.svUnit, d.tvUnit, d.qvUnit};
    const char* namesOf[] = {"SV", "TV", "QV"};
    for (int i = 0; i + 1 < d.dynamicCount && i < 3; ++i)
        dynamic << QLatin1String(namesOf[i]) + QStringLiteral(" ") +
                       withUnit(variables[i], units[i]);
    show("dynamic", 3, dynamic.isEmpty() ? tr("PV only") : dynamic.join(QStringLiteral(", ")));
    show("sensor", 14,
         tr("limits") + QLatin1Char(' ') + number(d.sensorLowerLimit) + QStringLiteral(" ... ") +
             withUnit(d.sensorUpperLimit, d.sensorUnit) + QStringLiteral(", ") +
             tr("minimum span") + QLatin1Char(' ') + withUnit(d.minimumSpan, d.sensorUnit) +
             QStringLiteral(", ") + tr("serial number") + QLatin1Char(' ') +
             QString::number(d.sensorSerial));
    show("output", 15,
         word(transferFunctionName(d.transferFunction)) + QStringLiteral(", ") + tr("alarm") +
             QLatin1Char(' ') + word(alarmSelectionName(d.alarmSelection)) + QStringLiteral(", ") +
             tr("write protected") + QLatin1Char(' ') + word(writeProtectName(d.writeProtect)));
    rangeUnitCode_ = d.rangeUnit;
    rangeUnit_->setText(d.has(15) ? unitCodeName(d.rangeUnit) : QString());

    const auto fill = [&](const char* name, bool available, const QString& text) {
        QLineEdit* e = editors_.value(QLatin1String(name));
        e->setText(available ? text : QString());
        e->setEnabled(available);
        shown_.insert(QLatin1String(name), e->text());
    };
    fill("tag", d.has(13), d.tag);
    fill("descriptor", d.has(13), d.descriptor);
    fill("date", d.has(13), d.date.isValid() ? d.date.toString(Qt::ISODate) : QString());
    fill("message", d.has(12), d.message);
    fill("longTag", d.has(20), d.longTag);
    fill("upperRange", d.has(15), number(d.upperRange));
    fill("lowerRange", d.has(15), number(d.lowerRange));
    fill("damping", d.has(15), number(d.damping));
    fill("pvUnit", d.has(1), unitCodeName(d.pvUnit));
    fitValues();
}

void UniversalWindow::fitValues() {
    // The form keeps a row one line high when its value wraps after the
    // window was laid out; the value's lines decide the row's height.
    for (QLabel* l : std::as_const(values_)) {
        const int width = std::max(l->width(), l->minimumWidth());
        l->setMinimumHeight(l->heightForWidth(width));
    }
}

bool UniversalWindow::openLink() {
    AppState& s = p_.state;
    openedHere_ = s.ConnectionState == 0;
    if (!openedHere_) {
        p_.dialogs.progressOpen(tr("HART"));
        return true;
    }
    if (session_.connectDevice(QString(), -1, ConnectScope::Universal) != 1) {
        session_.LinkOpen = 0;
        return false;
    }
    s.ConnectionState = 1;
    return true;
}

// A port this window opened is closed again, and whoever connects next
// looks anew for our parts: the device on the line may be another one.
void UniversalWindow::closeLink() {
    p_.dialogs.progressClose();
    if (!openedHere_) return;
    session_.disconnectDevice();
    session_.LinkOpen = 0;
    p_.state.ConnectionState = 0;
    openedHere_ = false;
}

void UniversalWindow::readInto(const std::vector<std::uint8_t>& commands) {
    UniversalData d = commands.empty() ? UniversalData() : data_;
    d.identity = session_.identity();
    const int result = commands.empty() ? device_.readAll(&d) : device_.readCommands(commands, &d);
    deviceStatus_ = device_.lastDeviceStatus();
    showData(d);
    if (result != 0 && result != kResultCancelled)
        p_.messages.showMessageBox(tr("HART device"), device_.lastFailure(), mb::Ok | mb::IconError,
                                   MsgText::AsIs);
}

bool UniversalWindow::read() {
    p_.log.debugLog(QStringLiteral(">>> UniversalWindow::read"), 3);
    const AskingWindow asking(p_.dialogs, this);
    if (!openLink()) return false;
    readInto();
    closeLink();
    const bool good = device_.lastFailure().isEmpty();
    if (good && deviceShown) deviceShown(QStringLiteral("read"));
    return good;
}

UniversalData UniversalWindow::edits(QStringList* wrong) const {
    UniversalData d = data_;
    const auto text = [this](const char* name) {
        return editors_.value(QLatin1String(name))->text().trimmed();
    };
    d.tag = text("tag");
    d.descriptor = text("descriptor");
    d.message = text("message");
    d.longTag = text("longTag");
    if (edited(QStringLiteral("date"))) {
        d.date = QDate::fromString(text("date"), Qt::ISODate);
        if (!d.date.isValid()) *wrong << tr("Date (yyyy-mm-dd)");
    }
    const auto take = [&](const char* name, const char* label, float* value) {
        if (edited(QLatin1String(name)) && !parseNumber(text(name), value)) *wrong << tr(label);
    };
    take("upperRange", "Upper range value", &d.upperRange);
    take("lowerRange", "Lower range value", &d.lowerRange);
    take("damping", "Damping [s]", &d.damping);
    if (d.damping < 0.0f) *wrong << tr("Damping [s]");
    d.rangeUnit = rangeUnitCode_;
    if (edited(QStringLiteral("pvUnit"))) {
        d.pvUnit = unitCodeOf(text("pvUnit"));
        if (d.pvUnit < 0 || d.pvUnit > 255) *wrong << tr("PV unit");
    }
    return d;
}

bool UniversalWindow::refuseWrong(const QStringList& wrong) {
    if (wrong.isEmpty()) return false;
    p_.messages.showMessageBox(
        tr("HART device"),
        tr("Invalid entry, nothing written:") + QLatin1Char('\n') + wrong.join(QLatin1Char('\n')),
        mb::Ok | mb::IconError, MsgText::AsIs);
    return true;
}

int UniversalWindow::write() {
    p_.log.debugLog(QStringLiteral(">>> UniversalWindow::write"), 3);
    const AskingWindow asking(p_.dialogs, this);
    // Every entry is checked before anything is sent.
    QStringList wrong;
    const UniversalData d = edits(&wrong);
    if (refuseWrong(wrong)) return -1;
    const auto changed = [this](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (edited(QLatin1String(name))) return true;
        return false;
    };
    // Each item with the caption the person edited it under.
    std::vector<std::pair<QString, std::function<int()>>> items;
    if (changed({"tag", "descriptor", "date"}))
        items.emplace_back(
            tr("Tag"), [=] { return device_.writeTagDescriptorDate(d.tag, d.descriptor, d.date); });
    if (changed({"message"}))
        items.emplace_back(tr("Message"), [=] { return device_.writeMessage(d.message); });
    if (changed({"longTag"}))
        items.emplace_back(tr("Long tag"), [=] { return device_.writeLongTag(d.longTag); });
    if (changed({"upperRange", "lowerRange"}) || d.rangeUnit != data_.rangeUnit)
        items.emplace_back(tr("Upper range value"), [=] {
            return device_.writeRange(d.rangeUnit, d.upperRange, d.lowerRange);
        });
    if (changed({"damping"}))
        items.emplace_back(tr("Damping [s]"), [=] { return device_.writeDamping(d.damping); });
    if (changed({"pvUnit"}))
        items.emplace_back(tr("PV unit"), [=] { return device_.writePvUnit(d.pvUnit); });
    if (items.empty()) return 0;
    if (!openLink()) return -1;
    int refused = 0;
    bool answering = true;
    QStringList done;
    device_.takeReadBack();  // from here on: what these writes change
    for (const auto& [caption, send] : items) {
        const int result = send();
        if (result == 0) done << caption;
        if (result == 0 && device_.lastWarning().isEmpty()) continue;
        if (result != 0) ++refused;
        QString reason = result == 0 ? device_.lastWarning() : device_.lastFailure();
        // Sent, but no usable answer came back: the device may hold it all the same.
        if (result != 0 && device_.mayHaveReached())
            reason += QStringLiteral(" (") + tr("may have reached the device") + QLatin1Char(')');
        p_.messages.showMessageBox(tr("HART device"), reason,
                                   mb::Ok | (result == 0 ? mb::IconInformation : mb::IconError),
                                   MsgText::AsIs);
        // The device answered and said no: the other items may still go.
        // Without an answer there is no point in going on.
        answering = result == 0 || result == kResultRefused || result == kResultValueRefused ||
                    result == kResultNotSent;
        if (!answering) break;
    }
    // What the device holds now, as it says: what the writes may have changed.
    if (answering) readInto(device_.takeReadBack());
    closeLink();
    if (answering && !done.isEmpty() && deviceShown) deviceShown(QStringLiteral("write"));
    if (refused == 0 && answering)
        p_.messages.showMessageBox(
            tr("HART device"),
            tr("Data transmitted") + QStringLiteral(": ") + done.join(QStringLiteral(", ")),
            mb::Ok | mb::IconInformation, MsgText::AsIs);
    return refused;
}

QString UniversalWindow::save(const QString& path) {
    const AskingWindow asking(p_.dialogs, this);
    QStringList wrong;
    const UniversalData d = edits(&wrong);
    if (refuseWrong(wrong)) return QString();
    const QString given = path.isEmpty() ? p_.dialogs.saveFileRequester(tr("Save"), QString(),
                                                                        QLatin1String(kFilePattern))
                                         : path;
    if (given.trimmed().isEmpty()) return QString();
    // Saved only under a name the batch commands and Open take back.
    const SaveName name =
        checkSaveName(given.trimmed(), universalFileExtension(), QDir::currentPath());
    if (name.refused()) {
        p_.messages.showMessageBox(
            tr("Save"),
            given.trimmed() + QStringLiteral(": ") +
                p_.messages.lookupMessage(name.why, QLatin1String(kSection)) + name.detail,
            mb::Ok | mb::IconError, MsgText::AsIs);
        return QString();
    }
    const QString target = name.path;
    QString error;
    if (!saveUniversalFile(target, d, &error)) {
        p_.messages.showMessageBox(tr("Save"), error, mb::Ok | mb::IconError, MsgText::AsIs);
        return QString();
    }
    return target;
}

// The file's items go into the editors; what differs from the device read
// last is what Write sends.
bool UniversalWindow::openFile(const QString& path) {
    const AskingWindow asking(p_.dialogs, this);
    const QString source = path.isEmpty() ? p_.dialogs.openFileRequester(
                                                tr("Open"), QString(), QLatin1String(kFilePattern))
                                          : path;
    if (source.isEmpty()) return false;
    UniversalSettings file;
    QString error;
    if (!loadUniversalFile(source, &file, &error)) {
        p_.messages.showMessageBox(tr("Open"), error, mb::Ok | mb::IconError, MsgText::AsIs);
        return false;
    }
    const auto put = [this](const char* name, const QString& text) {
        QLineEdit* e = editors_.value(QLatin1String(name));
        if (e->isEnabled()) e->setText(text);
    };
    if (file.tag) put("tag", *file.tag);
    if (file.descriptor) put("descriptor", *file.descriptor);
    if (file.date) put("date", file.date->toString(Qt::ISODate));
    if (file.message) put("message", *file.message);
    if (file.longTag) put("longTag", *file.longTag);
    if (file.upperRange) put("upperRange", number(*file.upperRange));
    if (file.lowerRange) put("lowerRange", number(*file.lowerRange));
    if (file.damping) put("damping", number(*file.damping));
    if (file.pvUnit) put("pvUnit", unitCodeName(*file.pvUnit));
    if (file.rangeUnit && data_.has(15)) {
        rangeUnitCode_ = *file.rangeUnit;
        rangeUnit_->setText(unitCodeName(rangeUnitCode_));
    }
    return true;
}

}  // namespace zh
