// The menus as data: the entries of each user mode with their identifiers
// and symbolic names, captions from the right language section, the
// measurand and language submenus, the measurand-list failures, the tool
// bar, and the field-table records the menus register.

#include "app/menu_table.h"

#include <gtest/gtest.h>

#include <set>

#include "app/menu_ids.h"
#include "app/mnemonics.h"
#include "app/profile_settings.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

// Every command entry of a menu tree, depth first.
void commandsOf(const std::vector<MenuEntry>& entries, std::vector<const MenuEntry*>& out) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Command) out.push_back(&e);
        commandsOf(e.entries, out);
    }
}

const MenuEntry* submenu(const std::vector<MenuEntry>& entries, const QString& key) {
    for (const MenuEntry& e : entries) {
        if (e.kind != MenuEntry::Kind::Submenu) continue;
        if (e.key == key) return &e;
        if (const MenuEntry* inner = submenu(e.entries, key)) return inner;
    }
    return nullptr;
}

std::vector<int> idsOf(const std::vector<MenuEntry>& entries) {
    std::vector<const MenuEntry*> list;
    commandsOf(entries, list);
    std::vector<int> ids;
    for (const MenuEntry* e : list) ids.push_back(e->id);
    return ids;
}

class MenuTableTest : public ::testing::Test {
  protected:
    MenuTableTest() { t.usePressureProfile(); }

    MenuTable build(const std::vector<PortChoice>& ports = {{"Sim", "Sim (device simulator)"}}) {
        MenuTable table;
        EXPECT_EQ(buildMenuTable(t.program, ports, table), MenuBuild::Built);
        return table;
    }

    TestProgram t;
};

TEST_F(MenuTableTest, UserModeMenusHoldTheirEntriesWithIdentifiersAndSymbols) {
    const MenuTable table = build();
    ASSERT_EQ(table.menus.size(), 4u);
    QStringList titles;
    for (const MenuEntry& m : table.menus) titles << m.key;
    EXPECT_EQ(titles.join('|'), "File|Data transfer|Setup|?");

    EXPECT_EQ(idsOf(table.menus[0].entries),
              (std::vector<int>{2031, 2032, 2030, 2027, 2028, 2029, 2100, 2101, 2066}));
    EXPECT_EQ(idsOf(table.menus[1].entries),
              (std::vector<int>{2067, 2068, 2069, 2070, 2071, 2097, 2096}));
    EXPECT_EQ(idsOf(table.menus[3].entries), (std::vector<int>{2099, 2073}));

    const std::pair<int, const char*> symbols[] = {
        {2030, "#MenuNew"},       {2031, "#MenuNewSub1-1"},   {2032, "#MenuNewSub1-2"},
        {2027, "#MenuOpen"},      {2028, "#MenuSave"},        {2029, "#MenuSaveAs"},
        {2066, "#MenuExit"},      {2067, "#MenuConnect"},     {2068, "#MenuDisConnect"},
        {2069, "#MenuReadAll"},   {2070, "#MenuWriteAll"},    {2071, "#MenuWriteChanges"},
        {2074, "#MenuHartAddr"},  {2073, "#MenuAbout1"},      {2075, "#PopMenuNew"},
        {2076, "#PopMenuM1-1"},   {2086, "#PopMenuWriteAll"}, {2087, "#PopMenuWriteChanges"},
        {2095, "#MenuScanLoop"},  {2096, "#MenuHartDevice"},  {2097, "#MenuCompare"},
        {2098, "#MenuEnterPort"}, {2099, "#MenuManual"}};
    for (const auto& [id, symbol] : symbols) {
        const MenuEntry* e = table.find(id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_EQ(e->symbol, symbol) << id;
        EXPECT_EQ(menu::idOfSymbol(QString::fromLatin1(symbol)), id);
    }
    // The user has neither the Device nor the Logging submenu.
    EXPECT_EQ(submenu(table.menus, "Device"), nullptr);
    EXPECT_EQ(submenu(table.menus, "Logging"), nullptr);
    EXPECT_EQ(table.find(menu::kConfigAuto), nullptr);
    EXPECT_EQ(table.find(menu::kStartLog), nullptr);
}

TEST_F(MenuTableTest, CustomizerGetsTheDeviceSubmenuButNeverLogging) {
    t.program.state.UserMode = "customizer";
    t.program.state.TransmitterDisplay = "all";
    const MenuTable table = build();
    const MenuEntry* device = submenu(table.menus, "Device");
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(idsOf(device->entries), (std::vector<int>{2065, 2064, 2063, 2062}));
    QStringList values, symbols;
    for (const MenuEntry& e : device->entries) {
        values << e.value;
        symbols << e.symbol;
        EXPECT_EQ(e.checked, e.id == menu::kConfigAll) << e.id;
    }
    // "Display+Transmitter" selects "all", the word the profile and the session know.
    EXPECT_EQ(values.join(';'), "auto;all;transmitter;display");
    EXPECT_EQ(symbols.join(';'),
              "#MenuConfigAuto;#MenuConfigAll;#MenuConfigTransm;#MenuConfigDisp");
    EXPECT_EQ(submenu(table.menus, "Logging"), nullptr);

    // "On" or "Off" is checked as the log is switched.
    t.program.state.UserMode = kLoggingMenuMode;
    for (int threshold : {0, 2}) {
        t.program.log.setThreshold(threshold);
        const MenuTable withLogging = build();
        const MenuEntry* logging = submenu(withLogging.menus, "Logging");
        ASSERT_NE(logging, nullptr);
        EXPECT_EQ(idsOf(logging->entries), (std::vector<int>{2057, 2058}));
        EXPECT_EQ(logging->entries[0].checked, threshold > 0);
        EXPECT_EQ(logging->entries[1].checked, threshold == 0);
    }
}

TEST_F(MenuTableTest, MeasurandsComeFromTheProfileWithCaptionsFromTheirSections) {
    // "Pressure" is translated in Application only; a Common entry must not be used.
    t.writeFile("Language/English.ini",
                "[Application]\nPressure=Druck\nNew=Neu\n[Common]\nPressure=wrong\nFile=Datei\n"
                "[SerialIO]\nRead module=Modul lesen\nWrite module=Modul schreiben\n");
    t.writeFile(
        "Config-125.ini",
        "[Common]\nMeasurands=Pressure=0;Level=3;Temperature=1\n[Pressure]\nBaseUnit=[bar]\n");
    ASSERT_TRUE(readProfileFile(t.program));
    const MenuTable table = build();

    const MenuEntry* news = submenu(table.menus, "New");
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(withoutMnemonic(news->caption), "Neu");
    EXPECT_EQ(idsOf(news->entries), (std::vector<int>{2031, 2032, 2033, 2030}));
    EXPECT_EQ(withoutMnemonic(news->entries[0].caption), "Druck");
    EXPECT_EQ(news->entries[1].value, "Level");
    EXPECT_EQ(news->entries[2].symbol, "#MenuNewSub1-3");
    EXPECT_EQ(withoutMnemonic(table.menus[0].caption), "Datei");
    EXPECT_EQ(withoutMnemonic(table.find(menu::kReadAll)->caption), "Modul lesen");

    EXPECT_EQ(idsOf(table.newPopup), (std::vector<int>{2076, 2077, 2078, 2075}));
    EXPECT_EQ(table.newPopup[0].description, "New->Druck");
    EXPECT_EQ(table.newPopup[3].description, "New->Neu");
    EXPECT_EQ(table.newPopup[2].symbol, "#PopMenuM1-3");
    EXPECT_EQ(idsOf(table.writePopup), (std::vector<int>{2086, 2087}));
    EXPECT_EQ(table.writePopup[0].description, "WriteModule->Modul schreiben");

    // A missing text is added to the language file once, in its section.
    const QByteArray file = t.readFile("Language/English.ini");
    EXPECT_TRUE(file.contains("Level=Level"));
    EXPECT_TRUE(file.contains("Hart address=Hart address"));
}

TEST_F(MenuTableTest, UnusableMeasurandListsStopTheBuildWithTheirMessage) {
    struct Case {
        int count;
        MenuBuild result;
        const char* text;
    };
    for (const Case& c :
         {Case{0, MenuBuild::NoMeasurands, "No measurands specified!"},
          Case{11, MenuBuild::TooManyMeasurands, "Too many measurands specified!"}}) {
        SCOPED_TRACE(c.count);
        t.program.state.MeasurandList.clear();
        for (int i = 0; i < c.count; ++i)
            t.program.state.MeasurandList.push_back({QString("M%1").arg(i), i, "[bar]", ""});
        t.dialogs.boxes.clear();
        MenuTable table;
        table.menus.resize(1);  // whatever was there before goes
        EXPECT_EQ(buildMenuTable(t.program, {}, table), c.result);
        EXPECT_TRUE(table.empty());
        EXPECT_TRUE(table.newPopup.empty());
        ASSERT_EQ(t.dialogs.boxes.size(), 1u);
        EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
        EXPECT_EQ(t.dialogs.boxes[0].text, c.text);
    }
    // Ten is the most the identifiers 2031..2040 carry.
    t.program.state.MeasurandList.resize(10);
    for (int i = 0; i < 10; ++i) t.program.state.MeasurandList[i].Name = QString("M%1").arg(i);
    const MenuTable table = build();
    EXPECT_EQ(idsOf(submenu(table.menus, "New")->entries).back(), menu::kNew);
    EXPECT_NE(table.find(2040), nullptr);
    EXPECT_NE(table.find(2085), nullptr);
}

TEST_F(MenuTableTest, LanguageMenuOffersTheFirstTenFilesInNameOrder) {
    const char* files[] = {"English", "Deutsch", "Zulu",     "alpha",   "Beta",     "Czech",
                           "Dansk",   "Eesti",   "Francais", "Gaeilge", "Hrvatski", "Italiano"};
    for (const char* f : files) t.writeFile(QString("Language/%1.ini").arg(f), "[Common]\n");
    t.writeFile("Language/readme.txt", "not a language");
    t.program.state.ActualLanguage = "english";  // as a profile may spell it
    const MenuTable table = build();

    const MenuEntry* languages = submenu(table.menus, "Select language");
    ASSERT_NE(languages, nullptr);
    QStringList names;
    for (const MenuEntry& e : languages->entries) names << withoutMnemonic(e.caption);
    EXPECT_EQ(names.join(','),
              "alpha,Beta,Czech,Dansk,Deutsch,Eesti,English,Francais,Gaeilge,Hrvatski");
    EXPECT_EQ(idsOf(languages->entries).front(), menu::kFirstLanguage);
    EXPECT_EQ(idsOf(languages->entries).back(), menu::kLastLanguage);
    for (const MenuEntry& e : languages->entries) {
        EXPECT_TRUE(e.checkable);
        EXPECT_EQ(e.checked, e.value == "English") << e.value.toStdString();
    }
}

TEST_F(MenuTableTest, TwoLanguageFilesGiveTwoEntries) {
    t.writeFile("Language/Deutsch.ini", "[Common]\n");
    t.writeFile("Language/English.ini", "[Common]\n");
    t.program.state.ActualLanguage = "Deutsch";
    const MenuTable table = build();
    const MenuEntry* languages = submenu(table.menus, "Select language");
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(idsOf(languages->entries), (std::vector<int>{1204, 1205}));
    EXPECT_TRUE(languages->entries[0].checked);
    EXPECT_FALSE(languages->entries[1].checked);
}

// A port with a stable link is checked also while the profile still holds
// its device path; "Port ..." ends the list.
TEST_F(MenuTableTest, PortMenuListsEveryPortWithTheCurrentOneMarked) {
    const QString byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    for (const QString& current : {QString("Sim"), QString("/dev/ttyUSB1"), byId}) {
        t.program.state.ComPort = current;
        const MenuTable table = build({{"/dev/ttyS0", "ttyS0", "/dev/ttyS0"},
                                       {"/dev/ttyUSB0", "", "/dev/ttyUSB0"},
                                       {byId, "FTDI FT232R USB UART", "/dev/ttyUSB1"},
                                       {"Sim", "Sim (device simulator)", ""}});
        const MenuEntry* ports = submenu(table.menus, "Change serial com port");
        ASSERT_NE(ports, nullptr);
        ASSERT_EQ(ports->entries.size(), 6u);
        EXPECT_EQ(idsOf(ports->entries), (std::vector<int>{5000, 5001, 5002, 5003, 2098}));
        EXPECT_EQ(withoutMnemonic(ports->entries[1].caption),
                  "/dev/ttyUSB0");  // no label: its name
        EXPECT_EQ(ports->entries[2].value, byId);
        EXPECT_EQ(ports->entries[3].value, "Sim");
        EXPECT_EQ(withoutMnemonic(ports->entries[5].caption), "Port ...");
        const int checked = current == "Sim" ? 3 : 2;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ports->entries[i].checked, i == checked) << qPrintable(current);
    }
}

TEST_F(MenuTableTest, ToolBarHasTheStandardAndTheModuleButtons) {
    const MenuTable table = build();
    std::vector<int> ids;
    for (const ToolBarButton& b : table.toolBar) ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<int>{2002, 2003, 2005, 2089, 2090, 2093, 2094}));
    EXPECT_EQ(table.findButton(2003)->symbol, "#ToolBarBtn_Open");
    EXPECT_EQ(table.findButton(2003)->caption, "Open");
    EXPECT_EQ(table.findButton(2094)->symbol, "#TBBtnWriteModule");
    EXPECT_EQ(table.findButton(2094)->caption, "Write module");
    EXPECT_TRUE(table.findButton(2089)->image);

    // The builder takes any word list: "opfile" is Open, unknown words are left out.
    std::vector<int> words;
    for (const ToolBarButton& b :
         standardToolBarButtons(t.program.messages, " EXIT,opfile,nonsense,add,help"))
        words.push_back(b.id);
    EXPECT_EQ(words, (std::vector<int>{2001, 2003, 2004, 2017}));
}

TEST_F(MenuTableTest, EveryEntryAndButtonIsRegisteredOnceUnderItsIdentifier) {
    t.program.state.UserMode = "customizer";
    const MenuTable table = build({{"Sim", "Sim"}});
    const std::vector<MenuRegistration> records = MenuRegistrations(table);
    std::set<QString> names;
    for (const MenuRegistration& r : records) {
        EXPECT_TRUE(names.insert(r.name).second) << "twice: " << r.name.toStdString();
        EXPECT_EQ(r.name, "MenuID-" + QString::number(r.id));
    }
    // 2 measurands + New, Open, Save, Save as, Service report, Device history,
    // Exit; 5 transfer + Compare + HART device;
    // 1 port + "Port ...", 4 devices, Hart address, Scan loop, Scan all, the languages;
    // Manual, about; pop-ups 3 + 2; 7 buttons.
    const std::size_t languages = submenu(table.menus, "Select language")->entries.size();
    EXPECT_EQ(records.size(), 9u + 7u + 2u + 4u + 3u + languages + 2u + 5u + 7u);

    const auto find = [&](int id) {
        for (const MenuRegistration& r : records)
            if (r.id == id) return r;
        return MenuRegistration{};
    };
    EXPECT_EQ(find(2069).symbol, "#MenuReadAll");
    EXPECT_EQ(find(2069).description, "Read module");
    EXPECT_EQ(find(2076).description, "New->Pressure");
    EXPECT_EQ(find(2075).description, "New->New");
    EXPECT_EQ(find(2087).description, "WriteModule->Write module changes only");
    EXPECT_EQ(find(2093).symbol, "#TBBtnReadModule");
    EXPECT_EQ(find(5000).symbol, "");
}

TEST_F(MenuTableTest, EquipmentPopupOffersEachMeasurandsEquipment) {
    t.writeFile("Language/English.ini",
                "[Application]\nHall switch=Hallschalter\nPressure=Druck\n");
    t.program.state.MeasurandList = {{"Pressure", 0, "[bar]", "Transmitter=4;Hall switch=1"},
                                     {"Temperature", 1, "[°C]", "Transmitter=4"},
                                     {"Level", 2, "[m]", ""}};
    const std::vector<MenuEntry> popup = equipmentPopup(t.program);
    ASSERT_EQ(popup.size(), 3u);
    // Several entries form a submenu under the measurand's name.
    EXPECT_EQ(popup[0].kind, MenuEntry::Kind::Submenu);
    EXPECT_EQ(withoutMnemonic(popup[0].caption), "Druck");
    ASSERT_EQ(popup[0].entries.size(), 2u);
    EXPECT_EQ(withoutMnemonic(popup[0].entries[1].caption), "Hallschalter");
    EXPECT_EQ(popup[0].entries[1].value, "Pressure|1|Hall switch");
    // A single one stands directly under the measurand's name.
    EXPECT_EQ(popup[1].kind, MenuEntry::Kind::Command);
    EXPECT_EQ(withoutMnemonic(popup[1].caption), "Temperature");
    EXPECT_EQ(popup[1].value, "Temperature|4|Transmitter");
    // Without a list the measurand itself is offered, with no identifier.
    EXPECT_EQ(popup[2].value, "Level||");

    const std::vector<MenuEntry> one = equipmentPopup(t.program, "temperature");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].value, "Temperature|4|Transmitter");
}

// One Alt key per entry: marks from the language file stay where they are
// free, the other entries take a free letter (a word's first one first), a
// plain "&" stays a plain "&", and an entry without letters takes a sign.
TEST(AltKeys, EachEntryOfAMenuGetsAKeyOfItsOwn) {
    const struct {
        QStringList captions, marked;
    } rows[] = {
        {{"&Open", "&Save", "Save &as"}, {"&Open", "&Save", "Save &as"}},
        {{"Open", "Options"}, {"&Open", "O&ptions"}},
        {{"&Save", "&Send"}, {"&Save", "S&end"}},
        {{"ttyS0", "ttyS1"}, {"&ttyS0", "tt&yS1"}},
        {{"R&&D", "Read"}, {"&R&&D", "R&ead"}},
        {{"&File", "?"}, {"&File", "&?"}},
    };
    for (const auto& row : rows) {
        QStringList captions = row.captions;
        giveMnemonics(captions);
        EXPECT_EQ(captions, row.marked) << row.captions.join('|').toStdString();
        EXPECT_EQ(withoutMnemonic(captions.value(0)), withoutMnemonic(row.captions.value(0)));
    }
}

}  // namespace
}  // namespace zh
