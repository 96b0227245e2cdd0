#include "report/service_visit.h"

#include <optional>

#include "files/model_copy.h"
#include "hart/universal_device.h"
#include "model/device_model.h"

namespace zh {

struct ServiceVisit::Device {
    std::unique_ptr<ModelCopy> found;
    std::unique_ptr<ModelCopy> left;
    std::vector<ServiceEntry> functions;
    std::optional<UniversalData> universalFound;
    std::optional<UniversalData> universalLeft;
};

namespace {

// `model` as the device holds it: the fields marked changed and not in
// `fresh` keep what `before` held of them.
std::unique_ptr<ModelCopy> deviceState(const DeviceModel& model, const QStringList& fresh,
                                       const ModelCopy* before) {
    auto copy = std::make_unique<ModelCopy>(model);
    FieldTable& fields = copy->model.fields;
    for (int i = 1; i <= fields.count(); ++i) {
        FieldRecord& f = fields.at(i);
        if (f.ColorIndx != ColourChanged || fresh.contains(f.Name)) continue;
        const int was = before ? before->model.fields.find(f.Name) : -1;
        if (was >= 0) f = before->model.fields.at(was);
    }
    return copy;
}

}  // namespace

ServiceVisit::ServiceVisit() = default;
ServiceVisit::~ServiceVisit() = default;

ServiceVisit::Device* ServiceVisit::visited() {
    if (!any_) return nullptr;
    std::unique_ptr<Device>& d = devices_[current_];
    if (!d) d = std::make_unique<Device>();
    return d.get();
}

void ServiceVisit::deviceRead(const QString& device, const DeviceModel& model) {
    current_ = device;
    any_ = true;
    Device* d = visited();
    d->left = deviceState(model, {}, d->left.get());
    if (!d->found) d->found = std::make_unique<ModelCopy>(d->left->model);
}

void ServiceVisit::deviceWritten(const QString& device, const DeviceModel& model,
                                 const QStringList& written) {
    current_ = device;
    any_ = true;
    Device* d = visited();
    d->left = deviceState(model, written, d->left.get());
}

void ServiceVisit::universalShown(const QString& device, const UniversalData& data) {
    current_ = device;
    any_ = true;
    Device* d = visited();
    d->universalLeft = data;
    if (!d->universalFound) d->universalFound = data;
}

void ServiceVisit::functionDone(ServiceEntry entry) {
    if (Device* d = visited()) d->functions.push_back(std::move(entry));
}

bool ServiceVisit::hasDevice() const {
    return any_;
}

const ServiceVisit::Device* ServiceVisit::shown() const {
    const auto d = any_ ? devices_.find(current_) : devices_.end();
    return d == devices_.end() ? nullptr : d->second.get();
}

const DeviceModel* ServiceVisit::asFound() const {
    const Device* d = shown();
    return d && d->found ? &d->found->model : nullptr;
}

DeviceModel* ServiceVisit::asLeft() {
    const Device* d = shown();
    return d && d->left ? &d->left->model : nullptr;
}

const std::vector<ServiceEntry>& ServiceVisit::functions() const {
    static const std::vector<ServiceEntry> none;
    const Device* d = shown();
    return d ? d->functions : none;
}

const UniversalData* ServiceVisit::universalFound() const {
    const Device* d = shown();
    return d && d->universalFound ? &*d->universalFound : nullptr;
}

const UniversalData* ServiceVisit::universalLeft() const {
    const Device* d = shown();
    return d && d->universalLeft ? &*d->universalLeft : nullptr;
}

}  // namespace zh
