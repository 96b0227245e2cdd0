#include "link_library.h"

#include <algorithm>

#include "app/logger.h"
#include "app/startup.h"
#include "frame_text.h"

namespace zh {

LinkLibrary::LinkLibrary(Logger& log) : log_(log) {}

// The library stays loaded in the process; it must not call us back after we are gone.
LinkLibrary::~LinkLibrary() {
    if (setWaitCallback_ && waitHook_) setWaitCallback_(nullptr, nullptr, 0);
    if (setFrameCallback_ && frameMonitor_) setFrameCallback_(nullptr, nullptr);
}

QString LinkLibrary::defaultFileName() {
    return QStringLiteral("libhartlink.so");
}

bool LinkLibrary::load(const QString& path) {
    lib_.setFileName(path);
    if (!lib_.load()) {
        loadError_ = lib_.errorString();
        log_.debugLog(QStringLiteral("HART library not loaded: ") + loadError_, 1);
        return false;
    }
    // Bound by name; whatever the library lacks stays unbound until called.
    auto bind = [this](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(lib_.resolve(name));
    };
    bind(configure_, "BaTinHrtCPr_Configure");
    bind(open_, "BaTinHrtCPr_Open");
    bind(close_, "BaTinHrtCPr_Close");
    bind(connect_, "BaTinHrtCPr_Connect");
    bind(disconnect_, "BaTinHrtCPr_Disconnect");
    bind(sendRequest_, "BaTinHrtCPr_SendRequest");
    bind(getConnectionStatus_, "BaTinHrtCPr_GetConnectionStatus");
    bind(getComPortStatus_, "BaTinHrtCPr_GetComPortStatus");
    bind(getDevInfo_, "BaTinHrtCPr_GetDevInfo");
    bind(readCurrPerc_, "BaTinHrtCPr_ReadCurrPerc");
    bind(setPortName_, "BaTinHrtCPr_SetPortName");
    bind(lastErrorText_, "BaTinHrtCPr_GetLastErrorText");
    bind(getIdentity_, "BaTinHrtCPr_GetIdentity");
    bind(setWaitCallback_, "BaTinHrtCPr_SetWaitCallback");
    bind(setFrameCallback_, "BaTinHrtCPr_SetFrameCallback");
    if (waitHook_) setWaitHook(waitHook_, waitSliceMs_);
    if (frameMonitor_) setFrameMonitor(frameMonitor_);
    return true;
}

int LinkLibrary::missing(const char* name) {
    log_.debugLog(
        QStringLiteral("HART library: entry point ") + QLatin1String(name) +
            (lib_.isLoaded() ? QStringLiteral(" not found in ") + lib_.fileName()
                             : QStringLiteral(" unavailable, library not loaded: ") + loadError_),
        1);
    return HARTLINK_ERR_RESOURCE;
}

template <typename Call>
int LinkLibrary::guarded(const char* name, Call call) {
    if (inCall_) {
        log_.debugLog(QStringLiteral("HART library: ") + QLatin1String(name) +
                          QStringLiteral(" refused, ") + QLatin1String(inCall_) +
                          QStringLiteral(" is still in progress"),
                      1);
        return HARTLINK_ERR_INVALID_HANDLE;
    }
    inCall_ = name;
    const int result = call();
    inCall_ = nullptr;
    return result;
}

void LinkLibrary::onWait(void* self) {
    auto* link = static_cast<LinkLibrary*>(self);
    if (link->waitHook_) link->waitHook_();
}

void LinkLibrary::setWaitHook(std::function<void()> hook, int sliceMs) {
    waitHook_ = std::move(hook);
    waitSliceMs_ = sliceMs;
    if (!setWaitCallback_) return;
    guarded("BaTinHrtCPr_SetWaitCallback", [&] {
        return waitHook_
                   ? setWaitCallback_(&LinkLibrary::onWait, this, static_cast<uint16_t>(sliceMs))
                   : setWaitCallback_(nullptr, nullptr, 0);
    });
}

void LinkLibrary::onFrame(void* self, int32_t sent, const uint8_t* bytes, uint16_t length,
                          const char* note) {
    auto* link = static_cast<LinkLibrary*>(self);
    if (!link->frameMonitor_ || !link->frameMonitor_()) return;
    link->log_.debugLog(
        frameText(sent != 0, bytes, length, note ? QString::fromLocal8Bit(note) : QString()), -1);
}

void LinkLibrary::setFrameMonitor(std::function<bool()> enabled) {
    frameMonitor_ = std::move(enabled);
    if (!setFrameCallback_) return;
    guarded("BaTinHrtCPr_SetFrameCallback", [&] {
        return frameMonitor_ ? setFrameCallback_(&LinkLibrary::onFrame, this)
                             : setFrameCallback_(nullptr, nullptr);
    });
}

int LinkLibrary::configure(uint8_t address, uint8_t v2, uint8_t v3, uint8_t v4, uint8_t v5,
                           uint8_t v6, uint16_t v7, uint16_t v8, uint16_t v9) {
    if (!configure_) return missing("BaTinHrtCPr_Configure");
    return guarded("BaTinHrtCPr_Configure",
                   [&] { return configure_(address, v2, v3, v4, v5, v6, v7, v8, v9); });
}
int LinkLibrary::open(uint16_t port) {
    return open_ ? guarded("BaTinHrtCPr_Open", [&] { return open_(port); })
                 : missing("BaTinHrtCPr_Open");
}
int LinkLibrary::close() {
    return close_ ? guarded("BaTinHrtCPr_Close", [&] { return close_(); })
                  : missing("BaTinHrtCPr_Close");
}
int LinkLibrary::connect(uint8_t* arg) {
    return connect_ ? guarded("BaTinHrtCPr_Connect", [&] { return connect_(arg); })
                    : missing("BaTinHrtCPr_Connect");
}
int LinkLibrary::disconnect() {
    return disconnect_ ? guarded("BaTinHrtCPr_Disconnect", [&] { return disconnect_(); })
                       : missing("BaTinHrtCPr_Disconnect");
}
int LinkLibrary::sendRequest(uint8_t command, uint8_t requestLength, const uint8_t* request,
                             uint8_t* responseLength, uint8_t* response, uint8_t* status1,
                             uint8_t* status2) {
    if (!sendRequest_) return missing("BaTinHrtCPr_SendRequest");
    return guarded("BaTinHrtCPr_SendRequest", [&] {
        return sendRequest_(command, requestLength, request, responseLength, response, status1,
                            status2);
    });
}
int LinkLibrary::comPortStatus() {
    return getComPortStatus_ ? getComPortStatus_() : missing("BaTinHrtCPr_GetComPortStatus");
}

int LinkLibrary::setPortName(uint16_t port, const QString& name) {
    return setPortName_ ? setPortName_(port, name.toLocal8Bit().constData()) : 0;
}

QString LinkLibrary::lastErrorText() {
    const char* text = lastErrorText_ ? lastErrorText_() : nullptr;
    return text ? QString::fromLocal8Bit(text) : QString();
}

QByteArray LinkLibrary::identityAnswer() {
    if (!getIdentity_) return QByteArray();
    uint8_t data[255] = {};
    uint8_t length = sizeof data;
    const int result =
        guarded("BaTinHrtCPr_GetIdentity", [&] { return getIdentity_(&length, data); });
    return result == HARTLINK_ERR_OK ? QByteArray(reinterpret_cast<const char*>(data), length)
                                     : QByteArray();
}

uint16_t LinkLibrary::preparePort(const QString& portName) {
    const QString name = portName.trimmed();
    const bool comName = name.size() > 3 &&
                         name.left(3).compare(QLatin1String("Com"), Qt::CaseInsensitive) == 0 &&
                         name.mid(3).toInt() > 0;
    const uint16_t number = comName ? static_cast<uint16_t>(portNumberOf(name)) : 0;
    setPortName(number, name);
    return number;
}

int runConnectionProbe(LinkLibrary& link, Logger& log, const QString& portName,
                       int pollingAddress) {
    const int port = link.preparePort(portName);
    log.debugLog(QStringLiteral(">>> Connect probe: port=") + portName +
                     QStringLiteral(" number=") + QString::number(port) +
                     QStringLiteral(" address=") + QString::number(pollingAddress),
                 4);
    // Probe settings: the session's address and master kind (the program is
    // one master on the loop, whichever process speaks), 5 preambles, one
    // try (the probe looks at the port, the session's connect counts the
    // tries), no time-out override. An address out of range fails the
    // Configure.
    const int configured = link.configure(static_cast<uint8_t>(std::clamp(pollingAddress, 0, 255)),
                                          2, 5, 0, 0, 0, 0, 10, 0);
    if (configured != HARTLINK_ERR_OK) {
        log.debugLog(QStringLiteral("Connect probe: Configure failed, result ") +
                         QString::number(configured),
                     1);
        return configured;
    }
    const int opened = link.open(static_cast<uint16_t>(port));
    if (opened != HARTLINK_ERR_OK) {
        log.debugLog(
            QStringLiteral("Connect probe: Open failed, result ") + QString::number(opened), 1);
        return opened;
    }
    uint8_t arg = 0;
    const int connected = link.connect(&arg);
    if (connected != HARTLINK_ERR_OK) {
        log.debugLog(
            QStringLiteral("Connect probe: Connect failed, result ") + QString::number(connected),
            1);
    }
    link.close();
    return connected;
}

}  // namespace zh
