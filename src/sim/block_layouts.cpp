#include "block_layouts.h"

#include <cstdlib>
#include <cstring>

namespace hartsim {

namespace {

constexpr Keeper M = Keeper::Module;

BlockItem s16(const char* name, int offset, Keeper keeper = Keeper::Master) {
    return {name, offset, 2, Encoding::S16, keeper};
}
BlockItem ranged(const char* name, int offset, int minimum, int maximum) {
    return {name, offset, 2, Encoding::S16, Keeper::Master, Limit::Range, minimum, maximum};
}
BlockItem unitItem(const char* name, int offset, Limit limit) {
    return {name, offset, 2, Encoding::S16, Keeper::Master, limit};
}
BlockItem u16(const char* name, int offset, Keeper keeper = Keeper::Master) {
    return {name, offset, 2, Encoding::U16, keeper};
}
BlockItem u32(const char* name, int offset) {
    return {name, offset, 4, Encoding::U32};
}
BlockItem byte(const char* name, int offset) {
    return {name, offset, 1, Encoding::Byte};
}
BlockItem text(const char* name, int offset, int width) {
    return {name, offset, width, Encoding::Text};
}

// Tenths of a second: 0.0 to 99.9 s for the display's timing, up to
// 999.9 s for the switch delays.
constexpr int kMaxTimeTenths = 999;
constexpr int kMaxDelayTenths = 9999;
// Minimum distances in hundredths of a percent of the range: up to 100 %.
constexpr int kMaxSpace = 10000;
// The delay of the limit switches after power-up (up to 30 s) and the
// length of the tara pulse, in ms; neither is ever negative.
constexpr int kMaxStartupDelayMs = 30000;
constexpr int kMaxTaraPulseMs = 999;

// Blocks 61 to 69: the error table, entry n of twenty at a fixed place.
std::vector<BlockLayout> errorTableLayouts() {
    static const char* const kTimeNames[] = {
        "ui32ErrTime_00", "ui32ErrTime_01", "ui32ErrTime_02", "ui32ErrTime_03", "ui32ErrTime_04",
        "ui32ErrTime_05", "ui32ErrTime_06", "ui32ErrTime_07", "ui32ErrTime_08", "ui32ErrTime_09",
        "ui32ErrTime_10", "ui32ErrTime_11", "ui32ErrTime_12", "ui32ErrTime_13", "ui32ErrTime_14",
        "ui32ErrTime_15", "ui32ErrTime_16", "ui32ErrTime_17", "ui32ErrTime_18", "ui32ErrTime_19"};
    static const char* const kPowerOnNames[] = {
        "ui32ErrPwrOn_00", "ui32ErrPwrOn_01", "ui32ErrPwrOn_02", "ui32ErrPwrOn_03",
        "ui32ErrPwrOn_04", "ui32ErrPwrOn_05", "ui32ErrPwrOn_06", "ui32ErrPwrOn_07",
        "ui32ErrPwrOn_08", "ui32ErrPwrOn_09", "ui32ErrPwrOn_10", "ui32ErrPwrOn_11",
        "ui32ErrPwrOn_12", "ui32ErrPwrOn_13", "ui32ErrPwrOn_14", "ui32ErrPwrOn_15",
        "ui32ErrPwrOn_16", "ui32ErrPwrOn_17", "ui32ErrPwrOn_18", "ui32ErrPwrOn_19"};
    static const char* const kCodeNames[] = {
        "ui8ErrCode_00", "ui8ErrCode_01", "ui8ErrCode_02", "ui8ErrCode_03", "ui8ErrCode_04",
        "ui8ErrCode_05", "ui8ErrCode_06", "ui8ErrCode_07", "ui8ErrCode_08", "ui8ErrCode_09",
        "ui8ErrCode_10", "ui8ErrCode_11", "ui8ErrCode_12", "ui8ErrCode_13", "ui8ErrCode_14",
        "ui8ErrCode_15", "ui8ErrCode_16", "ui8ErrCode_17", "ui8ErrCode_18", "ui8ErrCode_19"};
    std::vector<BlockLayout> layouts;
    for (int block = 0; block < 8; ++block) {
        const char* const* names = block < 4 ? kTimeNames : kPowerOnNames;
        BlockLayout layout{61 + block, BlockKind::Log, {}};
        for (int i = 0; i < 5; ++i)
            layout.items.push_back(u32(names[(block % 4) * 5 + i], 1 + 4 * i));
        layouts.push_back(layout);
    }
    BlockLayout codes{69, BlockKind::Log, {}};
    for (int i = 0; i < kErrorTableSize; ++i) codes.items.push_back(byte(kCodeNames[i], 1 + i));
    layouts.push_back(codes);
    return layouts;
}

std::vector<BlockLayout> makeLayouts() {
    std::vector<BlockLayout> layouts = {
        {0,
         BlockKind::Configuration,
         {s16("SizeOf_prd", 1, M), ranged("bIntSerIO", 3, 0, 1), s16("DispDamp_UNUSED", 5),
          u16("mp_SW1", 7, M), u16("mp_SW2", 9, M), u16("mp_HW1", 11, M), u16("mp_HW2", 13, M),
          s16("FW_YYYY", 15, M), s16("FW_DDMM", 17, M), s16("FW_HHMM", 19, M)}},
        {1,
         BlockKind::Configuration,
         {ranged("fs_CalibDone", 1, 0, 1), s16("mp_SN1_TRM", 3), s16("mp_SN2_TRM", 5),
          s16("pc_SN3_DISP", 7, M), s16("pc_SN4_DISP", 9, M), s16("pc_CHK001_IDX5_res", 11),
          u32("pc_ui32_GUID", 13), u32("pc_ui32ProdAutoID", 17)}},
        {2,
         BlockKind::Configuration,
         {text("pc_ASCII_TagID", 1, 16), text("pc_ASCII_SN_ZEL1", 17, 4)}},
        {3, BlockKind::Configuration, {text("pc_ASCII_SN_ZEL2", 1, 20)}},
        {10,
         BlockKind::Configuration,
         {s16("SizeOf_cal", 1, M), ranged("pc_SPrPspace100th", 3, 0, kMaxSpace), s16("mp_SP_1", 5),
          s16("mp_rP_1", 7), s16("mp_FH_1", 9), s16("mp_FL_1", 11),
          ranged("mp_dS_1", 13, 0, kMaxDelayTenths), ranged("mp_dr_1", 15, 0, kMaxDelayTenths),
          ranged("mp_out1", 17, 0, 3), s16("mp_LED1", 19)}},
        {11,
         BlockKind::Configuration,
         {ranged("SP_Feature_cfg", 1, 0, 3), s16("LEDmodeVisible", 3, M), s16("mp_SP_2", 5),
          s16("mp_rP_2", 7), s16("mp_FH_2", 9), s16("mp_FL_2", 11),
          ranged("mp_dS_2", 13, 0, kMaxDelayTenths), ranged("mp_dr_2", 15, 0, kMaxDelayTenths),
          ranged("mp_out2", 17, 0, 3), s16("mp_LED2", 19)}},
        {12,
         BlockKind::Configuration,
         {ranged("fs_Measurand", 1, 0, 1), unitItem("fs_CalibUnit", 3, Limit::CalibrationUnit),
          ranged("fs_CalibDecP", 5, 0, 3), unitItem("mp_LiveUnit", 7, Limit::DisplayUnit),
          ranged("mp_LiveDecP", 9, -1, 3), s16("mp_AD_SLr", 11), s16("mp_AD_Sur", 13),
          s16("pc_NominalRangeLow", 15), s16("pc_NominalRangeHigh", 17),
          ranged("pc_SlrSurSpace100th", 19, 0, kMaxSpace)}},
        {13,
         BlockKind::Configuration,
         {s16("fs_AD_cal_Low", 1), s16("fs_AD_cal_High", 3), s16("mp_Offset_UNUSED", 5, M),
          ranged("mp_td", 7, 0, kMaxTimeTenths), ranged("mp_tu", 9, 0, kMaxTimeTenths),
          ranged("mp_AddUnit", 11, 0, 1), ranged("fs_ShowAddUnit", 13, 0, 1),
          ranged("mp_rot", 15, 0, 1), s16("fs_ShowOrHideMenus", 17), s16("RES_CHK_13_IDX_09", 19)}},
        {20,
         BlockKind::Configuration,
         {s16("SizeOf_hw", 1, M), s16("pc_SegmentAdaptiveBrightMode", 3),
          s16("pc_CurrentAdaptiveBrightMode", 5), s16("pc_NonMuxLEDsAdaptActiveDiv", 7),
          s16("RESERVED_IDX_04_", 9), s16("RESERVED_IDX_05_", 11), s16("pc_en_RxD1_Pullup", 13),
          s16("pc_disable_stepdown", 15),
          ranged("pc_startup_delay_LS_TP", 17, 0, kMaxStartupDelayMs),
          ranged("pc_tara_pulse_len", 19, 0, kMaxTaraPulseMs)}},
        {60,
         BlockKind::Log,
         {s16("SizeOf_logdata", 1), s16("mp_AD_Lo_TrailPtr", 3), s16("mp_AD_Hi_TrailPtr", 5),
          s16("bLogDataStoreFailureCount", 7), u32("pc_ui32PowerOnCount", 9),
          u32("pc_ui32OPseconds", 13), u16("pc_ui16TotalEcCount", 17), byte("pc_ui8LastEC", 19),
          byte("pc_ui8LastEC_index", 20)}},
    };
    for (BlockLayout& table : errorTableLayouts()) layouts.push_back(std::move(table));
    layouts.push_back(
        {89,
         BlockKind::Live,
         {text("gaASCII_disp", 1, 4), text("gaASCII_disp6", 5, 2), byte("gaASCII_dotpos", 7),
          byte("gaASCII_dotpatt", 8), byte("gaASCII_rawdots", 9), byte("LEDstate", 10),
          s16("ADactRaw", 11), byte("DispMode", 13), byte("Keys", 14), byte("QTouchKey0", 15),
          byte("QTouchKey1", 16), byte("QTouchKey2", 17), text("RecFill", 18, 3)}});
    return layouts;
}

// Index into the image of the item's byte number `i`.
std::size_t byteIndex(const BlockItem& item, int i) {
    return static_cast<std::size_t>(item.offset) + static_cast<std::size_t>(i);
}

}  // namespace

const std::vector<BlockLayout>& blockLayouts() {
    static const std::vector<BlockLayout> layouts = makeLayouts();
    return layouts;
}

const BlockLayout* findBlockLayout(int number) {
    for (const BlockLayout& layout : blockLayouts()) {
        if (layout.number == number) return &layout;
    }
    return nullptr;
}

const BlockItem& blockItem(int block, const char* wireName) {
    if (const BlockLayout* layout = findBlockLayout(block)) {
        for (const BlockItem& item : layout->items) {
            if (std::strcmp(item.wireName, wireName) == 0) return item;
        }
    }
    std::abort();
}

std::int64_t itemValue(const BlockImage& image, const BlockItem& item) {
    std::uint32_t raw = 0;
    for (int i = item.width - 1; i >= 0; --i) {
        raw = (raw << 8) | image[byteIndex(item, i)];
    }
    if (item.encoding == Encoding::S16) return static_cast<std::int16_t>(raw);
    return raw;
}

void setItemValue(BlockImage& image, const BlockItem& item, std::int64_t value) {
    const std::uint64_t raw = static_cast<std::uint64_t>(value);
    for (int i = 0; i < item.width; ++i) {
        image[byteIndex(item, i)] = static_cast<std::uint8_t>(raw >> (8 * i));
    }
}

std::string itemText(const BlockImage& image, const BlockItem& item) {
    return std::string(image.begin() + item.offset, image.begin() + item.offset + item.width);
}

void setItemText(BlockImage& image, const BlockItem& item, const std::string& text, char pad) {
    for (int i = 0; i < item.width; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        image[byteIndex(item, i)] = static_cast<std::uint8_t>(k < text.size() ? text[k] : pad);
    }
}

}  // namespace hartsim
