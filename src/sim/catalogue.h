#pragma once
// The transmitter configurations a simulated device can be built as: the
// records of our configuration catalogue (the [DeviceConfigurations] section
// of the shipped profiles), kept here as text in the same syntax so that the
// simulator depends on no file and no program code.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hartsim {

struct CatalogueRecord {
    int key = 0;  // configuration key, equal to configuration byte 20
    std::string description;
    double lowerRange = 0, upperRange = 0;      // measuring range in `unit`
    double lowerNominal = 0, upperNominal = 0;  // nominal range of the cell in `unit`
    std::string unit;
    std::array<std::uint8_t, 22> configurationBytes{};
    std::array<std::int16_t, 11> agwTransmitter{};  // ADC adjustment table
    std::array<std::int16_t, 11> agwSwitch{};       // switch variants' table

    // Configuration byte 16: 1 Hall switch, 2 switch outputs, 4 transmitter.
    bool isSwitch() const { return configurationBytes[16] == 1 || configurationBytes[16] == 2; }
    const std::array<std::int16_t, 11>& agw() const {
        return isSwitch() ? agwSwitch : agwTransmitter;
    }
};

struct CatalogueText {
    int key;
    const char* record;  // "description|ranges;unit|22 hex bytes|AGW|switch AGW"
};

// The built-in catalogue, in key order.
const std::vector<CatalogueText>& catalogueTexts();

// Parses one record text ("|" or ":" between the five fields). Empty when a
// field is missing or a number does not parse.
std::optional<CatalogueRecord> parseCatalogueRecord(int key, const std::string& text);

// The record of `key`, or empty when the catalogue has none.
std::optional<CatalogueRecord> findConfiguration(int key);

}  // namespace hartsim
