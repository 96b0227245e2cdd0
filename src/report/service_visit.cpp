#include "report/service_visit.h"

#include "files/model_copy.h"
#include "model/device_model.h"

namespace zh {

struct ServiceVisit::Device {
    std::unique_ptr<ModelCopy> found;
    std::unique_ptr<ModelCopy> left;
    std::vector<ServiceEntry> functions;
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

void ServiceVisit::functionDone(ServiceEntry entry) {
    if (Device* d = visited()) d->functions.push_back(std::move(entry));
}

bool ServiceVisit::hasDevice() const {
    return any_;
}

const DeviceModel* ServiceVisit::asFound() const {
    const auto d = devices_.find(current_);
    return any_ && d != devices_.end() && d->second->found ? &d->second->found->model : nullptr;
}

DeviceModel* ServiceVisit::asLeft() {
    const auto d = devices_.find(current_);
    return any_ && d != devices_.end() && d->second->left ? &d->second->left->model : nullptr;
}

const std::vector<ServiceEntry>& ServiceVisit::functions() const {
    static const std::vector<ServiceEntry> none;
    const auto d = devices_.find(current_);
    return any_ && d != devices_.end() ? d->second->functions : none;
}

}  // namespace zh
