#include "adc_commands.h"

namespace zh {
namespace {

constexpr int kConfigurationBytes = 22;
constexpr int kAgwValues = 11;

// The 26 bytes of the ADC configuration, the same in both directions.
std::vector<WireItem> configurationItems() {
    std::vector<WireItem> items;
    for (int n = 0; n < kConfigurationBytes; ++n) {
        const QString name = QStringLiteral("ADCByte") + QString::number(n);
        items.push_back({n, 1, WireEncoding::Unsigned, name, name});
    }
    items.push_back(
        {22, 2, WireEncoding::Signed16LE, QStringLiteral("iMBE"), QStringLiteral("TNomRangeHigh")});
    items.push_back(
        {24, 2, WireEncoding::Signed16LE, QStringLiteral("iMBA"), QStringLiteral("TNomRangeLow")});
    return items;
}

// The 24 bytes of the AGW table; `actAdc` is where the ADC reading word
// comes from: nowhere (read: logged only) or a literal (write).
std::vector<WireItem> agwItems(const QString& actAdc) {
    std::vector<WireItem> items;
    for (int k = 0; k < kAgwValues; ++k) {
        const QString name = QStringLiteral("AGW") + QString::number(k);
        items.push_back({2 * k, 2, WireEncoding::Signed16LE, name, name});
    }
    items.push_back({22, 2, WireEncoding::Signed16LE, QStringLiteral("ActADC"), actAdc});
    return items;
}

}  // namespace

int AdcCommands::Com1410(int tries) {
    static const CommandLayout layout{141, QStringLiteral("<-- Read Com1410"), 0, 26,
                                      configurationItems()};
    return runRead(layout, tries);
}

int AdcCommands::Com1420(int tries) {
    static const CommandLayout layout{142, QStringLiteral("<-- Read Com1420"), 0, 24,
                                      agwItems(QString())};
    return runRead(layout, tries);
}

int AdcCommands::Com1420ActAdc(int tries) {
    static const CommandLayout layout{
        142,
        QStringLiteral("<-- Read Com1420"),
        0,
        24,
        {{22, 2, WireEncoding::Signed16LE, QStringLiteral("ActADC"), QString()}}};
    return runRead(layout, tries);
}

int AdcCommands::Com1810(int tries) {
    static const CommandLayout layout{181, QStringLiteral("--> Write Com1810"), 26, 0,
                                      configurationItems()};
    return runWrite(layout, tries);
}

int AdcCommands::Com1820(int tries) {
    // Nothing on the device reads the ActADC word of a write; it stays 0.
    static const CommandLayout layout{182, QStringLiteral("--> Write Com1820"), 24, 0,
                                      agwItems(QStringLiteral("#0"))};
    return runWrite(layout, tries);
}

}  // namespace zh
