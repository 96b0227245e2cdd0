#include "model/input_formats.h"

#include "model/field_table.h"

namespace zh {

InputFormats::InputFormats(FieldTable& fields) : fields_(fields) {
    for (int i = 1; i <= fields.count(); ++i) {
        const FieldRecord& f = fields.at(i);
        if (f.type() == QLatin1String("float"))
            formats_.insert(i, f.Params.section(QLatin1Char(';'), 0, 0));
    }
}

InputFormats::~InputFormats() {
    for (auto it = formats_.cbegin(); it != formats_.cend(); ++it) {
        if (it.key() > fields_.count()) continue;
        FieldRecord& f = fields_.at(it.key());
        if (f.type() != QLatin1String("float")) continue;
        QStringList params = f.Params.split(QLatin1Char(';'));
        params[0] = it.value();
        f.Params = params.join(QLatin1Char(';'));
    }
}

}  // namespace zh
