#include "catalogue.h"

#include <cstdlib>

namespace hartsim {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == separator) {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

bool parseNumber(const std::string& text, int base, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, base);
    return end != nullptr && *end == '\0';
}

bool parseReal(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool parseTable(const std::string& text, std::array<std::int16_t, 11>* table) {
    const std::vector<std::string> items = split(text, ';');
    if (items.size() < table->size()) return false;
    for (std::size_t k = 0; k < table->size(); ++k) {
        long v = 0;
        if (!parseNumber(items[k], 10, &v) || v < -32768 || v > 32767) return false;
        (*table)[k] = static_cast<std::int16_t>(v);
    }
    return true;
}

}  // namespace

const std::vector<CatalogueText>& catalogueTexts() {
    // clang-format off
    static const std::vector<CatalogueText> texts = {
        {0x01, "P 0...16 bar gauge|0;16;0;16;bar|01;05;03;19;00;01;04;00;00;03;00;01;05;80;00;01;00;01;00;94;01;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
        {0x02, "P 0...600 mbar gauge|0;600;0;600;mbar|02;07;02;32;00;01;08;00;00;03;00;02;05;80;00;01;04;01;00;94;02;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
        {0x03, "P -1...25 bar gauge, ADC table|-1;25;-1;25;bar|01;04;03;19;00;01;04;00;01;03;00;01;05;80;00;01;04;01;00;94;03;01|-25000;-19750;-14530;-9350;-4240;800;5760;10650;15470;20250;25000|0;0;-14530;-9350;-4240;800;5760;10650;15470;20250;25000"},
        {0x04, "P 0...10 bar absolute, 16 bar cell|0;10;0;16;bar|01;05;03;19;00;01;04;00;00;03;01;01;05;80;00;01;04;01;00;94;04;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
        {0x05, "P 0...150 PSI gauge|0;150;0;150;PSI|01;05;03;19;00;01;04;00;00;03;00;01;05;80;00;01;04;01;00;7F;05;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
        {0x10, "PS 0...10 bar, Hall switch|0;10;0;10;bar|01;05;03;19;00;01;04;00;00;01;00;01;00;80;00;01;01;01;01;94;10;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-25000;25000;38;200;60;5;100;0;0"},
        {0x11, "PS 0...400 mbar, switch outputs|0;400;0;400;mbar|02;07;02;32;00;01;08;00;00;03;00;02;00;80;00;01;02;01;00;94;11;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-25000;25000;38;200;2000;50;250;0;0"},
        {0x20, "T Pt100 -50...250 °C|-50;250;-50;250;°C|10;03;01;64;00;01;04;03;02;03;00;00;05;80;00;01;04;01;00;94;20;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
        {0x21, "T Pt100 0...150 °C, ADC table|0;150;-50;250;°C|10;04;01;64;00;01;04;04;01;03;00;00;05;80;00;01;04;01;00;94;21;01|-25000;-20060;-15100;-10130;-5150;-160;4840;9850;14870;19920;25000|0;0;-15100;-10130;-5150;-160;4840;9850;14870;19920;25000"},
        {0x22, "TS -20...120 °C, switch outputs|-20;120;-50;250;°C|10;03;01;64;00;01;04;03;02;01;00;00;00;80;00;01;02;01;00;94;22;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-25000;25000;38;200;800;20;1000;0;0"},
        {0x23, "T type K 0...1000 °C|0;1000;-200;1200;°C|20;06;01;00;00;00;08;05;03;01;00;00;05;80;00;01;04;01;00;94;23;01|-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000|0;0;-15000;-10000;-5000;0;5000;10000;15000;20000;25000"},
    };
    // clang-format on
    return texts;
}

std::optional<CatalogueRecord> parseCatalogueRecord(int key, const std::string& text) {
    std::string normalised = text;
    for (char& c : normalised) {
        if (c == ':') c = '|';  // stored records may use ":" for "|"
    }
    const std::vector<std::string> fields = split(normalised, '|');
    if (fields.size() < 5) return std::nullopt;

    CatalogueRecord record;
    record.key = key;
    record.description = fields[0];
    const std::vector<std::string> range = split(fields[1], ';');
    if (range.size() < 5 || !parseReal(range[0], &record.lowerRange) ||
        !parseReal(range[1], &record.upperRange) || !parseReal(range[2], &record.lowerNominal) ||
        !parseReal(range[3], &record.upperNominal) || range[4].empty()) {
        return std::nullopt;
    }
    record.unit = range[4];

    const std::vector<std::string> bytes = split(fields[2], ';');
    if (bytes.size() < record.configurationBytes.size()) return std::nullopt;
    for (std::size_t n = 0; n < record.configurationBytes.size(); ++n) {
        long v = 0;
        if (!parseNumber(bytes[n], 16, &v) || v < 0 || v > 255) return std::nullopt;
        record.configurationBytes[n] = static_cast<std::uint8_t>(v);
    }
    if (!parseTable(fields[3], &record.agwTransmitter) ||
        !parseTable(fields[4], &record.agwSwitch)) {
        return std::nullopt;
    }
    return record;
}

std::optional<CatalogueRecord> findConfiguration(int key) {
    for (const CatalogueText& entry : catalogueTexts()) {
        if (entry.key == key) return parseCatalogueRecord(key, entry.record);
    }
    return std::nullopt;
}

}  // namespace hartsim
