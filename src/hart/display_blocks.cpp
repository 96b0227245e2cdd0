#include "display_blocks.h"

#include "app/program.h"
#include "raw_values.h"

namespace zh {
namespace {

// ---- The layouts -----------------------------------------------------------

constexpr BlockItem field(int offset, BlockCoding coding, const char* wire, const char* name) {
    const int width = coding == BlockCoding::I32 ? 4 : coding == BlockCoding::Byte ? 1 : 2;
    return {offset, width, coding, BlockUse::Field, wire, name, 0};
}
constexpr BlockItem s16(int offset, const char* wire, const char* name) {
    return field(offset, BlockCoding::S16, wire, name);
}
constexpr BlockItem u16(int offset, const char* wire, const char* name) {
    return field(offset, BlockCoding::U16, wire, name);
}
constexpr BlockItem i32(int offset, const char* wire, const char* name) {
    return field(offset, BlockCoding::I32, wire, name);
}
constexpr BlockItem text(int offset, int width, const char* wire, const char* name) {
    return {offset, width, BlockCoding::Text, BlockUse::Field, wire, name, 0};
}
constexpr BlockItem fixed16(int offset, const char* wire, int value) {
    return {offset, 2, BlockCoding::S16, BlockUse::Fixed, wire, nullptr, value};
}
constexpr BlockItem kept16(int offset, const char* wire) {
    return {offset, 2, BlockCoding::S16, BlockUse::Kept, wire, nullptr, 0};
}
constexpr BlockItem logged(int offset, int width, BlockCoding coding, const char* wire) {
    return {offset, width, coding, BlockUse::Logged, wire, nullptr, 0};
}
constexpr BlockItem loggedByte(int offset, const char* wire) {
    return logged(offset, 1, BlockCoding::Byte, wire);
}

// Bit i of a mask marks slot i as changed; the display takes over only the
// marked slots. Written here most significant bit first, as the firmware
// documentation lists them.
constexpr std::uint16_t kAllSlots = 0b0000111111111111;

// Blocks 61 to 69: the display's table of its last twenty errors, read
// only. Blocks 61..64 hold the time stamps (operating seconds) of entries
// 0..19, five to a block; 65..68 the power-on counts in the same places;
// 69 the error codes, one byte per entry.
void addErrorTableLayouts(std::vector<BlockLayout>& layouts) {
    constexpr int kEntries = 20;
    constexpr int kPerBlock = 5;
    static const std::vector<QByteArray> names = [] {
        std::vector<QByteArray> n;
        for (const char* prefix : {"ui32ErrTime_", "ui32ErrPwrOn_", "ui8ErrCode_"}) {
            for (int i = 0; i < kEntries; ++i)
                n.push_back(QByteArray(prefix) + QByteArray::number(i).rightJustified(2, '0'));
        }
        return n;
    }();
    for (int block = 0; block < 8; ++block) {
        BlockLayout layout{61 + block, false, 0, {}};
        const int first = (block / 4) * kEntries + (block % 4) * kPerBlock;
        for (int i = 0; i < kPerBlock; ++i)
            layout.items.push_back(
                logged(1 + 4 * i, 4, BlockCoding::I32, names[first + i].constData()));
        layouts.push_back(layout);
    }
    BlockLayout codes{69, false, 0, {}};
    for (int i = 0; i < kEntries; ++i)
        codes.items.push_back(loggedByte(1 + i, names[2 * kEntries + i].constData()));
    layouts.push_back(codes);
}

std::vector<BlockLayout> buildLayouts() {
    using C = BlockCoding;
    std::vector<BlockLayout> layouts;
    // Identity: the display keeps all of it (no flag set).
    layouts.push_back(
        {0,
         true,
         0b0000000000000000,
         {fixed16(1, "SizeOf_prd", 60), s16(3, "bIntSerIO", "bIntSerIO"),
          s16(5, "DispDamp_UNUSED", "DispDamp_UNUSED"), u16(7, "mp_SW1", "SWVersion1"),
          u16(9, "mp_SW2", "SWVersion2"), u16(11, "mp_HW1", "HWVersion1"),
          u16(13, "mp_HW2", "HWVersion2"), s16(15, "FW_YYYY", "FW_YYYY"),
          s16(17, "FW_DDMM", "FW_DDMM"), s16(19, "FW_HHMM", "FW_HHMM")}});
    // Serial numbers and production data; the production numbers (slots 5
    // to 9) are the display's own. The two 32-bit numbers go to the field
    // records the field list declares (the names data files use).
    layouts.push_back(
        {1,
         true,
         0b0000110000011111,
         {s16(1, "fs_CalibDone", "fs_CalibDone"), field(3, C::W16, "mp_SN1_TRM", "SerialNo1"),
          field(5, C::W16, "mp_SN2_TRM", "SerialNo2"), kept16(7, "pc_SN3_DISP"),
          kept16(9, "pc_SN4_DISP"), s16(11, "pc_CHK001_IDX5_res", "pc_CHK001_IDX5_res"),
          i32(13, "pc_ui32_GUID", "pc_ui32_GUID.uint32_t"),
          i32(17, "pc_ui32ProdAutoID", "pc_ui32ProdAutoID.uint32_t")}});
    layouts.push_back(
        {2,
         true,
         kAllSlots,
         {text(1, 16, "pc_ASCII_TagID", "TagID"), text(17, 4, "pc_ASCII_SN_ZEL1", "SerialNoZEL")}});
    layouts.push_back({3, true, kAllSlots, {text(1, 20, "pc_ASCII_SN_ZEL2", "SerialNoZEL2")}});
    layouts.push_back(
        {10,
         true,
         0b0000111111111110,
         {fixed16(1, "SizeOf_cal", 44), s16(3, "pc_SPrPspace100th", "pc_SPrPspace100th"),
          s16(5, "mp_SP_1", "SetPoint1"), s16(7, "mp_rP_1", "ResetPoint1"),
          s16(9, "mp_FH_1", "FrameHi1"), s16(11, "mp_FL_1", "FrameLow1"),
          s16(13, "mp_dS_1", "DelaySwitch1"), s16(15, "mp_dr_1", "ResDelaySwitch1"),
          s16(17, "mp_out1", "OutputFunction1"), s16(19, "mp_LED1", "mp_LED1")}});
    layouts.push_back({11,
                       true,
                       kAllSlots,
                       {s16(1, "SP_Feature_cfg", "SelectEquip"), kept16(3, "LEDmodeVisible"),
                        s16(5, "mp_SP_2", "SetPoint2"), s16(7, "mp_rP_2", "ResetPoint2"),
                        s16(9, "mp_FH_2", "FrameHi2"), s16(11, "mp_FL_2", "FrameLow2"),
                        s16(13, "mp_dS_2", "DelaySwitch2"), s16(15, "mp_dr_2", "ResDelaySwitch2"),
                        s16(17, "mp_out2", "OutputFunction2"), s16(19, "mp_LED2", "mp_LED2")}});
    layouts.push_back(
        {12,
         true,
         kAllSlots,
         {s16(1, "fs_Measurand", "UnitType"), s16(3, "fs_CalibUnit", "UnitULRV"),
          s16(5, "fs_CalibDecP", "CalDecimalPoint"), s16(7, "mp_LiveUnit", "Unit"),
          s16(9, "mp_LiveDecP", "DecimalPoint"), s16(11, "mp_AD_SLr", "LowerRangeVal"),
          s16(13, "mp_AD_Sur", "UpperRangeVal"), s16(15, "pc_NominalRangeLow", "NominalRangeLow"),
          s16(17, "pc_NominalRangeHigh", "NominalRangeHigh"),
          s16(19, "pc_SlrSurSpace100th", "pc_SlrSurSpace100th")}});
    // Slot 9 is reserved to the display.
    layouts.push_back(
        {13,
         true,
         0b0000110111111111,
         {s16(1, "fs_AD_cal_Low", "LowerRangeADVal"), s16(3, "fs_AD_cal_High", "UpperRangeADVal"),
          kept16(5, "mp_Offset_UNUSED"), s16(7, "mp_td", "TimeData"), s16(9, "mp_tu", "TimeUnit"),
          s16(11, "mp_AddUnit", "AddUnit"), s16(13, "fs_ShowAddUnit", "fs_ShowAddUnit"),
          s16(15, "mp_rot", "Rotate"), s16(17, "fs_ShowOrHideMenus", "fs_ShowOrHideMenus"),
          s16(19, "RES_CHK_13_IDX_09", "RES_CHK_13_IDX_09")}});
    layouts.push_back({20,
                       true,
                       kAllSlots,
                       {kept16(1, "SizeOf_hw"),
                        s16(3, "pc_SegmentAdaptiveBrightMode", "pc_SegmentAdaptiveBrightMode"),
                        s16(5, "pc_CurrentAdaptiveBrightMode", "pc_CurrentAdaptiveBrightMode"),
                        s16(7, "pc_NonMuxLEDsAdaptActiveDiv", "pc_NonMuxLEDsAdaptActiveDiv"),
                        s16(9, "RESERVED_IDX_04_", "RESERVED_IDX_04_"),
                        s16(11, "RESERVED_IDX_05_", "RESERVED_IDX_05_"),
                        s16(13, "pc_en_RxD1_Pullup", "pc_en_RxD1_Pullup"),
                        s16(15, "pc_disable_stepdown", "pc_disable_stepdown"),
                        s16(17, "pc_startup_delay_LS_TP", "pc_startup_delay_LS_TP"),
                        s16(19, "pc_tara_pulse_len", "TaraPulseLen")}});
    layouts.push_back(
        {60,
         false,
         0,
         {logged(1, 2, C::S16, "SizeOf_logdata"), s16(3, "mp_AD_Lo_TrailPtr", "LoTrail"),
          s16(5, "mp_AD_Hi_TrailPtr", "HiTrail"),
          s16(7, "bLogDataStoreFailureCount", "bLogDataStoreFailureCount"),
          i32(9, "pc_ui32PowerOnCount", "pc_ui32PowerOnCount"),
          i32(13, "pc_ui32OPseconds", "pc_ui32OPseconds"),
          s16(17, "pc_ui16TotalEcCount", "pc_ui16TotalEcCount"),
          field(19, C::Byte, "pc_ui8LastEC", "pc_ui8LastEC"),
          field(20, C::Byte, "pc_ui8LastEC_index", "pc_ui8LastEC_index")}});
    addErrorTableLayouts(layouts);
    layouts.push_back(
        {89,
         false,
         0,
         {text(1, 4, "gaASCII_disp", "Display"), logged(5, 2, C::Text, "gaASCII_disp6"),
          loggedByte(7, "gaASCII_dotpos"), loggedByte(8, "gaASCII_dotpatt"),
          loggedByte(9, "gaASCII_rawdots"), loggedByte(10, "LEDstate"),
          s16(11, "ADactRaw", "ADactRaw"), loggedByte(13, "DispMode"), loggedByte(14, "Keys"),
          loggedByte(15, "QTouchKey0"), loggedByte(16, "QTouchKey1"), loggedByte(17, "QTouchKey2"),
          logged(18, 3, C::Bytes, "RecFill")}});
    return layouts;
}

// The two items every block ends with.
constexpr BlockItem kFlagsItem = {
    block::kFlagsOffset, 2, BlockCoding::U16, BlockUse::Logged, "ChangeFlags", nullptr, 0};
constexpr BlockItem kVersionItem = {
    block::kVersionOffset, 1, BlockCoding::Byte, BlockUse::Field, "VersCheck", "VersCheck", 0};

// ---- Values on the wire ------------------------------------------------------

// Text bytes up to the first NUL. The program pads the texts it writes with
// blanks, so in writable blocks trailing blanks are padding, not text.
QString decodeText(const QByteArray& image, const BlockItem& item, bool trimPadding) {
    QString s = readText(image, item.offset, item.width);
    if (trimPadding) {
        while (s.endsWith(QLatin1Char(' '))) s.chop(1);
    }
    return s;
}

// The value text an item is stored as: integers in decimal.
QString decodeValue(const QByteArray& image, const BlockItem& item, bool trimPadding) {
    switch (item.coding) {
        case BlockCoding::S16:
        case BlockCoding::W16:
            return QString::number(getLE16Signed(image, item.offset));
        case BlockCoding::U16:
            return QString::number(getLE16(image, item.offset));
        case BlockCoding::I32:
            return QString::number(getLE32Signed(image, item.offset));
        case BlockCoding::Byte:
            return QString::number(static_cast<std::uint8_t>(image.at(item.offset)));
        case BlockCoding::Text:
            return decodeText(image, item, trimPadding);
        case BlockCoding::Bytes:
            return hexText(image.mid(item.offset, item.width));
    }
    return QString();
}

// The value as the log shows it: single bytes and byte runs in hexadecimal,
// the change flags as 16 binary digits.
QString logValue(const QByteArray& image, const BlockItem& item, bool trimPadding) {
    if (item.offset == block::kFlagsOffset) {
        return QStringLiteral("%1").arg(getLE16(image, item.offset), 16, 2, QLatin1Char('0'));
    }
    if (item.coding == BlockCoding::Byte || item.coding == BlockCoding::Bytes) {
        return QStringLiteral("0x") + hexText(image.mid(item.offset, item.width));
    }
    return decodeValue(image, item, trimPadding);
}

// A 16-bit pattern: its signed reading (as read back) or its unsigned one
// (as typed in hexadecimal); both are the same 16 bits.
WireValue<quint16> takeWord16(const RawValues& values, const QString& field) {
    const WireValue<qint64> parsed = parseInteger(sourceText(values, field));
    WireValue<quint16> v;
    static_cast<WireStatus&>(v) = parsed;
    v.name = field;
    if (!parsed.ok()) return v;
    if (parsed.value < -32768 || parsed.value > 65535) {
        v.error = WireError::OutOfRange;
        v.limits = QStringLiteral("-32768 ... 65535");
        return v;
    }
    v.value = static_cast<quint16>(parsed.value & 0xFFFF);
    return v;
}

// Encodes one field item into `image`; the image is unchanged on a refusal.
WireStatus encodeField(const RawValues& values, const BlockItem& item, QByteArray& image) {
    const QString name = QString::fromLatin1(item.field);
    switch (item.coding) {
        case BlockCoding::S16: {
            const WireValue<qint16> v = takeSigned16(values, name);
            if (v.ok()) putLE16(image, item.offset, static_cast<quint16>(v.value));
            return v;
        }
        case BlockCoding::U16: {
            const WireValue<quint16> v = takeUnsigned16(values, name);
            if (v.ok()) putLE16(image, item.offset, v.value);
            return v;
        }
        case BlockCoding::W16: {
            const WireValue<quint16> v = takeWord16(values, name);
            if (v.ok()) putLE16(image, item.offset, v.value);
            return v;
        }
        case BlockCoding::I32: {
            const WireValue<qint32> v = takeInt32(values, name);
            if (v.ok()) putLE32(image, item.offset, static_cast<quint32>(v.value));
            return v;
        }
        case BlockCoding::Byte: {
            const WireValue<quint32> v = takeUnsigned(values, name, 1);
            if (v.ok()) image[item.offset] = static_cast<char>(v.value);
            return v;
        }
        case BlockCoding::Text: {
            // Cut to the item's width, or filled with blanks (the display
            // shows the bytes as they are; a NUL would show as a gap),
            // unless the module pads its own texts with NULs: a text it
            // holds goes back byte for byte.
            WireValue<QByteArray> v = takeText(values, name, item.width);
            const bool nulPadded = image.size() >= item.offset + item.width &&
                                   image.at(item.offset) != '\0' &&
                                   image.at(item.offset + item.width - 1) == '\0';
            if (v.ok())
                image.replace(item.offset, item.width,
                              nulPadded ? v.value : v.value.replace('\0', ' '));
            return v;
        }
        case BlockCoding::Bytes:
            break;
    }
    return WireStatus{};
}

QString blockName(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

}  // namespace

// ---- Tables --------------------------------------------------------------------

const std::vector<BlockLayout>& blockLayouts() {
    static const std::vector<BlockLayout> layouts = buildLayouts();
    return layouts;
}

const BlockLayout* blockLayout(int number) {
    for (const BlockLayout& layout : blockLayouts()) {
        if (layout.number == number) return &layout;
    }
    return nullptr;
}

const std::vector<int>& writableBlocks() {
    static const std::vector<int> numbers = [] {
        std::vector<int> n;
        for (const BlockLayout& layout : blockLayouts()) {
            if (layout.writable) n.push_back(layout.number);
        }
        return n;
    }();
    return numbers;
}

QStringList blockFields(int number) {
    QStringList fields;
    if (const BlockLayout* layout = blockLayout(number)) {
        for (const BlockItem& item : layout->items) {
            if (item.use == BlockUse::Field) fields << QString::fromLatin1(item.field);
        }
    }
    return fields;
}

QStringList blockFieldsTaken(int number) {
    QStringList fields;
    if (const BlockLayout* layout = blockLayout(number)) {
        for (const BlockItem& item : layout->items) {
            const int slot = (item.offset - 1) / 2;
            if (item.use == BlockUse::Field && (layout->changeFlags & (1u << slot)) != 0)
                fields << QString::fromLatin1(item.field);
        }
    }
    return fields;
}

QStringList snapshotFields(int number) {
    QStringList fields = QStringList{QStringLiteral("VersCheck")} + blockFields(number);
    switch (number) {
        case 1:
            fields << QStringLiteral("TagID") << QStringLiteral("SerialNoZEL");
            break;
        // The whole serial number: SerialNoZEL2 follows it only when block 3
        // is written, so a change shows in SerialNoZEL first.
        case 3:
            fields << QStringLiteral("SerialNoZEL");
            break;
        case 13:
            fields += blockFields(20);
            break;
        default:
            break;
    }
    return fields;
}

void splitSerialNoZEL(RawValues& values) {
    QString second = values.rawValue(QStringLiteral("SerialNoZEL")).mid(4, 20);
    while (second.endsWith(QLatin1Char(' '))) second.chop(1);
    values.setRawValue(QStringLiteral("SerialNoZEL2"), second, QStringLiteral("pc_ASCII_SN_ZEL2"));
}

void joinSerialNoZEL(RawValues& values) {
    QString first = values.rawValue(QStringLiteral("SerialNoZEL")).left(4);
    const QString second = values.rawValue(QStringLiteral("SerialNoZEL2"));
    if (!second.isEmpty()) first = first.leftJustified(4, QLatin1Char(' '));
    QString whole = first + second;
    while (whole.endsWith(QLatin1Char(' '))) whole.chop(1);
    values.setRawValue(QStringLiteral("SerialNoZEL"), whole, QStringLiteral("pc_ASCII_SN_ZEL1"));
}

// ---- Reading and writing -------------------------------------------------------

DisplayBlocks::DisplayBlocks(Program& program, RawValues& values, RequestSender& sender)
    : p_(program), values_(values), sender_(sender) {
    logged_.image = QByteArray(block::kSize, '\0');
    logged_.image[0] = static_cast<char>(12);
}

DisplayBlocks::Buffers& DisplayBlocks::buffers(int number) {
    auto it = buffers_.find(number);
    if (it == buffers_.end()) {
        Buffers b;
        b.image = QByteArray(block::kSize, '\0');
        it = buffers_.emplace(number, b).first;
    }
    it->second.image[0] = static_cast<char>(number);
    return it->second;
}

QByteArray DisplayBlocks::image(int number) const {
    auto it = buffers_.find(number);
    if (it != buffers_.end()) return it->second.image;
    QByteArray fresh(block::kSize, '\0');
    fresh[0] = static_cast<char>(number);
    return fresh;
}

QByteArray DisplayBlocks::response(int number) const {
    auto it = buffers_.find(number);
    return it == buffers_.end() ? QByteArray() : it->second.response;
}

void DisplayBlocks::logItem(const QString& indent, const BlockItem& item, const QByteArray& image,
                            const char* field, bool trim) {
    const int colour = field ? values_.colourIndex(QString::fromLatin1(field)) : -1;
    p_.log.debugLog(indent + QString::fromLatin1(item.wireName) + QLatin1Char('=') +
                        logValue(image, item, trim) + QStringLiteral("; "),
                    1, colour);
}

int DisplayBlocks::readBlock(int number, int tries) {
    const BlockLayout* layout = blockLayout(number);
    const QString routine = QStringLiteral("<-- Read Com190_") + blockName(number);
    if (!layout) {
        p_.log.debugLog(routine + QStringLiteral(": no such block"), -1);
        return kResultValueRefused;
    }
    return read(*layout, buffers(number), routine, true, tries);
}

int DisplayBlocks::readBlock12Logged(int tries) {
    return read(*blockLayout(12), logged_, QStringLiteral("<-- Read Com190_01201"), false, tries);
}

int DisplayBlocks::read(const BlockLayout& layout, Buffers& buffers, const QString& routine,
                        bool store, int tries) {
    Logger& log = p_.log;
    log.debugLog(routine, -1);
    QByteArray answer;
    const int result =
        sender_.sendRequest(block::kReadCommand, QByteArray(1, static_cast<char>(layout.number)),
                            block::kSize, &answer, tries);
    if (result != 0) return result;
    // The device refused the request, or answered with another block: the
    // bytes are not this block's items, so none of them reaches a field.
    if (sender_.resCode1() != 0) {
        log.debugLog(QStringLiteral("+++ ") + routine.mid(4) + QStringLiteral(": response code ") +
                         QString::number(sender_.resCode1()),
                     -1);
        return kResultUnusableAnswer;
    }
    if (answer.size() != block::kSize || static_cast<std::uint8_t>(answer.at(0)) != layout.number) {
        log.debugLog(
            QStringLiteral("+++ ") + routine.mid(4) + QStringLiteral(": answer is block ") +
                QString::number(answer.isEmpty() ? -1 : static_cast<std::uint8_t>(answer.at(0))),
            -1);
        return kResultUnusableAnswer;
    }
    buffers.response = answer;

    log.debugLog(QStringLiteral("    Blocknummer=0x") + hexText(answer.left(1)), 1);
    const bool trim = layout.writable;
    std::vector<BlockItem> items = layout.items;
    items.push_back(kFlagsItem);
    items.push_back(kVersionItem);
    for (const BlockItem& item : items) {
        const bool stores =
            item.use == BlockUse::Field && (store || item.offset == block::kVersionOffset);
        logItem(QStringLiteral("    "), item, answer, stores ? item.field : nullptr, trim);
        if (stores) {
            values_.setRawValue(QString::fromLatin1(item.field), decodeValue(answer, item, trim),
                                QString::fromLatin1(item.wireName));
        }
    }
    if (store && layout.number == 3) joinSerialNoZEL(values_);
    buffers.image = answer;
    return 0;
}

bool DisplayBlocks::encode(const BlockLayout& layout, QByteArray& image) {
    std::vector<BlockItem> items = layout.items;
    items.push_back(kVersionItem);
    for (const BlockItem& item : items) {
        if (item.use == BlockUse::Fixed) {
            putLE16(image, item.offset, static_cast<quint16>(item.fixedValue));
        } else if (item.use == BlockUse::Field) {
            const WireStatus status = encodeField(values_, item, image);
            if (!status.ok()) {
                refusal_ = status;
                return false;
            }
        }
    }
    putLE16(image, block::kFlagsOffset, layout.changeFlags);
    return true;
}

int DisplayBlocks::checkBlock(int number) {
    refusal_ = WireStatus{};
    const BlockLayout* layout = blockLayout(number);
    if (!layout || !layout->writable) return kResultValueRefused;
    if (number == 3) splitSerialNoZEL(values_);
    QByteArray request = buffers(number).image;
    return encode(*layout, request) ? 0 : kResultValueRefused;
}

int DisplayBlocks::writeBlock(int number, int tries) {
    Logger& log = p_.log;
    refusal_ = WireStatus{};
    const QString routine = QStringLiteral("--> Write Com190_") + blockName(number);
    log.debugLog(routine, -1);
    const BlockLayout* layout = blockLayout(number);
    if (!layout || !layout->writable) {
        refusal_.error = WireError::OutOfRange;
        refusal_.name = QStringLiteral("block");
        refusal_.text = QString::number(number);
        refusal_.limits = QStringLiteral("0, 1, 2, 3, 10, 11, 12, 13, 20");
        log.debugLog(
            QStringLiteral("+++ ") + routine.mid(4) + QStringLiteral(": ") + refusal_.message(),
            -1);
        return kResultValueRefused;
    }
    if (number == 3) splitSerialNoZEL(values_);

    Buffers& b = buffers(number);
    QByteArray request = b.image;
    if (!encode(*layout, request)) {
        // Nothing goes out: a value that does not fit would reach the
        // display as another value.
        log.debugLog(QStringLiteral("+++ ") + routine.mid(4) + QStringLiteral(" refused: ") +
                         refusal_.message(),
                     -1);
        return kResultValueRefused;
    }
    b.image = request;

    log.debugLog(QStringLiteral("   Blocknummer=0x") + hexText(request.left(1)), 1);
    std::vector<BlockItem> items = layout->items;
    items.push_back(kFlagsItem);
    items.push_back(kVersionItem);
    for (const BlockItem& item : items)
        logItem(QStringLiteral("   "), item, request, item.field, true);

    if (writesSwitchedOff(p_.state.NoWrite)) return kResultNotSent;
    QByteArray answer;
    const int result =
        sender_.sendRequest(block::kWriteCommand, request, block::kSize, &answer, tries);
    if (result != 0) return result;
    b.response = answer;
    if (sender_.resCode1() != 0) {
        log.debugLog(QStringLiteral("+++ ") + routine.mid(4) + QStringLiteral(": response code ") +
                         QString::number(sender_.resCode1()),
                     -1);
        return kResultUnusableAnswer;
    }
    return 0;
}

}  // namespace zh
