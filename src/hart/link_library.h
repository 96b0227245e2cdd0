#pragma once
// The HART master library, loaded from the program's directory and bound by
// entry-point name. A missing library or entry point is not an error at
// start: it is reported (logged, with a resource-error result) when the
// entry point is called, so the program runs on without a link.

#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <cstdint>
#include <functional>

#include "hartlink/hartlink.h"

namespace zh {

class Logger;

class LinkLibrary {
  public:
    explicit LinkLibrary(Logger& log);
    ~LinkLibrary();
    LinkLibrary(const LinkLibrary&) = delete;
    LinkLibrary& operator=(const LinkLibrary&) = delete;

    // File name of the library in the program directory.
    static QString defaultFileName();

    // Loads the library and binds every entry point that it exports.
    // False when the library itself could not be loaded (logged).
    bool load(const QString& path);
    bool isLoaded() const { return lib_.isLoaded(); }
    QString loadError() const { return loadError_; }

    // The entry points, as the program calls them. A missing one logs its
    // name and returns HARTLINK_ERR_RESOURCE. One called while another is
    // still waiting on the line (from an event served meanwhile) is refused
    // with HARTLINK_ERR_INVALID_HANDLE and logged: exchanges never
    // interleave on the wire.
    int configure(uint8_t address, uint8_t v2, uint8_t v3, uint8_t v4, uint8_t v5, uint8_t v6,
                  uint16_t v7, uint16_t v8, uint16_t v9);
    int open(uint16_t port);
    int close();
    int connect(uint8_t* arg);
    int disconnect();
    int sendRequest(uint8_t command, uint8_t requestLength, const uint8_t* request,
                    uint8_t* responseLength, uint8_t* response, uint8_t* status1, uint8_t* status2);
    int comPortStatus();
    // Extensions of our own library; absent in others (then: no-op, "").
    int setPortName(uint16_t port, const QString& name);
    QString lastErrorText();
    // Extension: the command-0 data of the last successful connect (the
    // device's identity); empty when there is none or the library cannot
    // tell.
    QByteArray identityAnswer();
    bool hasPortNames() const { return setPortName_ != nullptr; }
    // Extension: `hook` runs while a call waits on the line, at most
    // `sliceMs` ms apart (the program serves its window there). Without it,
    // or with a library that cannot call back, calls block until they end.
    void setWaitHook(std::function<void()> hook, int sliceMs);
    // Extension: while `enabled` says so, every frame the library sends or
    // receives is logged decoded, one line each ("-->" / "<--"). A library
    // that cannot report its frames leaves the log as it is.
    void setFrameMonitor(std::function<bool()> enabled);
    // A call into the library is in progress.
    bool busy() const { return inCall_ != nullptr; }

    // The port number the library's Open takes for `portName`, after naming
    // the port to the library: "Com5" is 5; anything else ("Sim", a device
    // path) is named as port 0.
    uint16_t preparePort(const QString& portName);

  private:
    int missing(const char* name);
    // Runs `call` unless another call is in progress (see above).
    template <typename Call>
    int guarded(const char* name, Call call);
    static void onWait(void* self);
    static void onFrame(void* self, int32_t sent, const uint8_t* bytes, uint16_t length,
                        const char* note);

    Logger& log_;
    QLibrary lib_;
    QString loadError_;
    BaTinHrtCPr_Configure_t configure_ = nullptr;
    BaTinHrtCPr_Open_t open_ = nullptr;
    BaTinHrtCPr_Close_t close_ = nullptr;
    BaTinHrtCPr_Connect_t connect_ = nullptr;
    BaTinHrtCPr_Disconnect_t disconnect_ = nullptr;
    BaTinHrtCPr_SendRequest_t sendRequest_ = nullptr;
    BaTinHrtCPr_GetConnectionStatus_t getConnectionStatus_ = nullptr;
    BaTinHrtCPr_GetComPortStatus_t getComPortStatus_ = nullptr;
    BaTinHrtCPr_GetDevInfo_t getDevInfo_ = nullptr;
    BaTinHrtCPr_ReadCurrPerc_t readCurrPerc_ = nullptr;
    BaTinHrtCPr_SetPortName_t setPortName_ = nullptr;
    BaTinHrtCPr_GetLastErrorText_t lastErrorText_ = nullptr;
    BaTinHrtCPr_GetIdentity_t getIdentity_ = nullptr;
    BaTinHrtCPr_SetWaitCallback_t setWaitCallback_ = nullptr;
    std::function<void()> waitHook_;
    int waitSliceMs_ = 0;
    BaTinHrtCPr_SetFrameCallback_t setFrameCallback_ = nullptr;
    std::function<bool()> frameMonitor_;
    const char* inCall_ = nullptr;  // the entry point in progress
};

// The connection probe the program runs in a second process: configure the
// library for `pollingAddress`, open the port of `portName` and, when that
// worked, connect and close. Returns 0 when the device answered, else the
// first failing result.
int runConnectionProbe(LinkLibrary& link, Logger& log, const QString& portName,
                       int pollingAddress = 0);

}  // namespace zh
