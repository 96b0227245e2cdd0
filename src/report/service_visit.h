#pragma once
// What the window keeps of a service visit, device by device (by identity,
// for as long as the program runs): the configuration as the first good
// read found it, as the device holds it after the last read, write or
// service function, and the service functions carried out with their
// results. The service report is drawn from it.
//
// As left is always what the device holds: a field the person has edited
// and not written keeps its value from before, whatever the form shows.

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "report/service_record.h"

namespace zh {

struct DeviceModel;
struct ModelCopy;
struct UniversalData;

class ServiceVisit {
  public:
    ServiceVisit();
    ~ServiceVisit();
    ServiceVisit(const ServiceVisit&) = delete;
    ServiceVisit& operator=(const ServiceVisit&) = delete;

    // After a good read of device `device` ("26-06-00A1B2"; "" when the
    // identity is unknown): the first read of it is its as-found record;
    // every read is its as-left record, and it is the device of the visit.
    void deviceRead(const QString& device, const DeviceModel& model);
    // After a write that changed `device`, which becomes the device of the
    // visit: `written` are the fields it now holds as `model` shows them;
    // every field not marked changed is taken too, the marked ones not in
    // `written` keep their as-left value.
    void deviceWritten(const QString& device, const DeviceModel& model, const QStringList& written);
    // After the window for any HART device read `device` or wrote it: its
    // universal data as found (the first time) and as left.
    void universalShown(const QString& device, const UniversalData& data);
    // A service function carried out on the device of the visit.
    void functionDone(ServiceEntry entry);

    // The device of the visit ("" when none was read or written).
    const QString& device() const { return current_; }
    bool hasDevice() const;
    // Its as-found record; nullptr when the device was written before it was read.
    const DeviceModel* asFound() const;
    // Its as-left record; nullptr when the visit has no device.
    DeviceModel* asLeft();
    const std::vector<ServiceEntry>& functions() const;
    // The universal data of the device of the visit as found and as left;
    // nullptr when the program's own model holds it.
    const UniversalData* universalFound() const;
    const UniversalData* universalLeft() const;

  private:
    struct Device;
    Device* visited();
    const Device* shown() const;

    std::map<QString, std::unique_ptr<Device>> devices_;
    QString current_;
    bool any_ = false;
};

}  // namespace zh
