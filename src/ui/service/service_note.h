#pragma once
// What a service function tells when it has been carried out: its name and
// what came of it, as the service report lists them ("Trim 4 mA":
// "Measured current" -> "4.012 mA"). The texts are in the program's language.

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace zh {

using ServiceResults = std::vector<std::pair<QString, QString>>;
using ServiceNote = std::function<void(const QString& function, const ServiceResults& results)>;

}  // namespace zh
