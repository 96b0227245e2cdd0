// What a technician and a test can learn from the device: the error log
// in blocks 60 to 69 as the diagnostics readout decodes it, the counters
// of the frames that arrived, the frame log file, and the state file that
// keeps the device's memories between runs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/memory_file.h"
#include "sim/simulator.h"
#include "sim/universal_records.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

struct Entry {
    int index;
    std::uint32_t time, powerOn;
    int code;
};

struct Diagnostics {
    std::uint32_t powerOns = 0, seconds = 0;
    int total = 0, lastCode = 0, lastIndex = 0;
    std::vector<Entry> oldestFirst;
};

// The readout: block 60, then the twenty entries of blocks 61 to 69,
// printed from the entry after the newest one round to the newest.
Diagnostics readDiagnostics(Simulator& sim) {
    Diagnostics d;
    const Bytes b60 = readBlock(sim, 60).data;
    d.powerOns = le32(b60, 9);
    d.seconds = le32(b60, 13);
    d.total = le16(b60, 17) & 0xFFFF;
    d.lastCode = b60[19];
    d.lastIndex = b60[20];
    std::vector<Bytes> blocks;
    for (int block = 61; block <= 69; ++block) {
        const Answer a = readBlock(sim, block);
        EXPECT_EQ(a.data.size(), 24u);
        EXPECT_EQ(a.data[0], block);
        blocks.push_back(a.data);
    }
    for (int i = 0; i < 20; ++i) {
        const int n = (i + d.lastIndex + 1) % 20;
        const std::size_t at = static_cast<std::size_t>(1 + 4 * (n % 5));
        d.oldestFirst.push_back({n, le32(blocks[static_cast<std::size_t>(n / 5)], at),
                                 le32(blocks[static_cast<std::size_t>(4 + n / 5)], at),
                                 blocks[8][static_cast<std::size_t>(1 + n)]});
    }
    return d;
}

std::vector<int> writtenCodes(const Diagnostics& d) {
    std::vector<int> codes;
    for (const Entry& e : d.oldestFirst) {
        if (e.code != 0) codes.push_back(e.code);
    }
    return codes;
}

void sendBadCheckByte(Simulator& sim) {
    Bytes frame = longRequest(191, {12});
    frame.back() ^= 0x5A;
    EXPECT_TRUE(sim.receive(frame.data(), frame.size()).empty());
}

TEST(SimDiagnostics, TheErrorLogReadsOldestFirstAndStaysConsistent) {
    Simulator sim;
    const Diagnostics fresh = readDiagnostics(sim);
    ASSERT_EQ(fresh.total, 3) << "a short past";
    EXPECT_EQ(writtenCodes(fresh), std::vector<int>({0x11, 0x24, 0x11}));
    EXPECT_EQ(fresh.oldestFirst.back().code, fresh.lastCode);

    // Events of the kinds the module logs, each with its code.
    std::vector<int> expected = writtenCodes(fresh);
    sendBadCheckByte(sim);
    expected.push_back(0x08);
    action(sim, 77);
    expected.push_back(0x30);
    Bytes live(24, 0);
    live[0] = 89;
    writeBlock(sim, live, 0x3FF);
    expected.push_back(0x20);
    writeBlock(sim, readBlock(sim, 13).data, 0x3FF, 4);
    expected.push_back(0x21);
    changeSlots(sim, 10, {{8, 9}});
    expected.push_back(0x22);
    sim.powerCycle();
    transact(sim, longRequest(40, floatBytes(21.0f)));
    readLive(sim);
    expected.push_back(0x02);

    Diagnostics d = readDiagnostics(sim);
    EXPECT_EQ(d.total, static_cast<int>(expected.size()));
    EXPECT_EQ(writtenCodes(d), expected);
    EXPECT_EQ(d.oldestFirst.back().code, d.lastCode);
    EXPECT_EQ(d.oldestFirst.back().index, d.lastIndex);
    EXPECT_EQ(d.oldestFirst.back().powerOn, d.powerOns) << "logged after the power cycle";
    EXPECT_EQ(d.oldestFirst.back().time, d.seconds);
    for (std::size_t i = 1; i < d.oldestFirst.size(); ++i) {
        EXPECT_LE(d.oldestFirst[i - 1].time, d.oldestFirst[i].time);
        EXPECT_LE(d.oldestFirst[i - 1].powerOn, d.oldestFirst[i].powerOn);
    }

    // Beyond twenty the oldest go; the order stays.
    for (int i = 0; i < 25; ++i) {
        sendBadCheckByte(sim);
        expected.push_back(0x08);
    }
    d = readDiagnostics(sim);
    EXPECT_EQ(d.total, static_cast<int>(expected.size()));
    EXPECT_EQ(writtenCodes(d), std::vector<int>(expected.end() - 20, expected.end()));
    EXPECT_EQ(d.lastIndex, (static_cast<int>(expected.size()) - 1) % 20);
}

TEST(SimDiagnostics, OperatingTimeAndPowerOnsCount) {
    Simulator sim;
    const Diagnostics before = readDiagnostics(sim);
    for (int i = 0; i < 40; ++i) transact(sim, longRequest(0));
    const Diagnostics after = readDiagnostics(sim);
    EXPECT_NEAR(static_cast<double>(after.seconds - before.seconds), 12.5, 1.0)
        << "four answers a second";
    sim.powerCycle();
    EXPECT_EQ(readDiagnostics(sim).powerOns, after.powerOns + 1);
}

TEST(SimDiagnostics, CountersTellWhichCommandsArrived) {
    Simulator sim;
    for (std::uint8_t command : {0, 1, 2, 15, 141, 142, 151}) transact(sim, longRequest(command));
    readBlock(sim, 12);
    readBlock(sim, 89);
    EXPECT_EQ(sim.statistics().writeRequests(), 0u) << "reading changes nothing";
    EXPECT_EQ(sim.statistics().requests[191], 2u);

    // A write counts even when the device answered it with an error, or not at all.
    sim.injectFault(*parseFault("noanswer@34"));
    sim.receive(longRequest(34, floatBytes(1.0f)).data(), longRequest(34, floatBytes(1.0f)).size());
    action(sim, 5);
    action(sim, 5);
    action(sim, 77);
    EXPECT_EQ(sim.statistics().requests[34], 1u);
    EXPECT_EQ(sim.statistics().actions[5], 2u);
    EXPECT_EQ(sim.statistics().actions[77], 1u);
    EXPECT_EQ(sim.statistics().writeRequests(), 4u);
    for (int command : {34, 35, 36, 37, 40, 45, 46, 181, 182, 190, 192, 200, 201}) {
        EXPECT_TRUE(isWriteCommand(command)) << command;
    }
    for (int command : {0, 1, 2, 15, 81, 141, 142, 151, 191, 3, 255}) {
        EXPECT_FALSE(isWriteCommand(command)) << command;
    }
}

std::string scratchPath(const char* name) {
    return std::string(::testing::TempDir()) + "hartsim_" + name + "_" + std::to_string(getpid());
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SimDiagnostics, TheFrameLogNamesEveryCommandAndKeepsGrowing) {
    const std::string path = scratchPath("frames");
    std::remove(path.c_str());
    DeviceConfig config;
    config.frameLogPath = path;
    {
        Simulator sim(config);
        readBlock(sim, 12);
        sendBadCheckByte(sim);
    }
    {
        Simulator sim(config);
        action(sim, 5);
    }
    const std::string text = fileText(path);
    std::remove(path.c_str());
    EXPECT_NE(text.find("RX command=191 (answered): FF FF FF FF FF 82 94 7E 00 12 AB BF 01 0C"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("TX command=191: FF FF FF FF FF 86 94 7E 00 12 AB BF 1A 00 00 0C"),
              std::string::npos);
    EXPECT_NE(text.find("RX command=191 (bad check byte)"), std::string::npos);
    EXPECT_NE(text.find("RX command=192 (answered)"), std::string::npos)
        << "appended by the second device";
}

TEST(SimDiagnostics, TheStateFileKeepsTheMemoriesAndAPowerCycleTakesEeprom) {
    const std::string path = scratchPath("state");
    std::remove(path.c_str());
    DeviceConfig config;
    config.statePath = path;
    int errors = 0;
    {
        Simulator sim(config);
        changeSlots(sim, 10, {{2, 15000}});
        action(sim, 5);
        changeSlots(sim, 10, {{2, 15500}});  // in RAM only
        transact(sim, longRequest(34, floatBytes(3.0f)));
        transact(sim, longRequest(200, {0}));
        transact(sim, longRequest(34, floatBytes(4.0f)));
        sendBadCheckByte(sim);
        errors = le16(readBlock(sim, 60).data, 17);
    }
    {
        // The device kept its power: RAM as it was.
        Simulator sim(config);
        EXPECT_EQ(slotOf(sim, 10, 2), 15500);
        EXPECT_FLOAT_EQ(floatAt(transact(sim, longRequest(15)).data, 11), 4.0f);
        EXPECT_EQ(le16(readBlock(sim, 60).data, 17), errors);
    }
    config.powerCycle = true;
    {
        Simulator sim(config);
        EXPECT_EQ(slotOf(sim, 10, 2), 15000);
        EXPECT_FLOAT_EQ(floatAt(transact(sim, longRequest(15)).data, 11), 3.0f);
        EXPECT_EQ(le16(readBlock(sim, 60).data, 17), errors) << "the log outlives the power";
    }
    // A damaged file is no reason not to start: the device comes up new.
    std::ofstream(path) << "hartsim-memory 1\ndisplay.ram.10 12AB\nnonsense\n";
    Simulator fresh(config);
    EXPECT_EQ(slotOf(fresh, 10, 2), 13600);
    std::remove(path.c_str());
}

// The comparison a write test makes: reading, polling, refused requests
// and time change no configuration; each write shows in exactly the bytes
// it changed, in RAM, EEPROM and the factory set of either part.
TEST(SimDiagnostics, ConfigurationDifferencesShowWhatAWriteChangedAndNothingElse) {
    Simulator sim;
    const Memory start = sim.device().memory();
    for (int block : {0, 1, 2, 3, 10, 11, 12, 13, 20, 60, 89}) readBlock(sim, block);
    transact(sim, longRequest(141));
    transact(sim, longRequest(99));  // not ours: refused and logged
    sendBadCheckByte(sim);
    writeBlock(sim, readBlock(sim, 10).data, 0x0FFE, 4);  // the same values, a strange version
    for (int i = 0; i < 40; ++i) readLive(sim);           // the value moves, the pointers follow
    action(sim, 204);                                     // and are cleared
    const Memory polled = sim.device().memory();
    EXPECT_NE(polled, start);
    EXPECT_EQ(describeDifferences(configurationDifferences(start, polled)), "");

    changeSlots(sim, 10, {{2, 15000}});
    Bytes range = {7};  // bar: upper 16 becomes 9.87654 (00 00 80 41 becomes 4F 06 1E 41), lower 0
    for (float v : {9.87654f, 0.0f}) {
        const Bytes b = floatBytes(v);
        range.insert(range.end(), b.begin(), b.end());
    }
    ASSERT_EQ(transact(sim, longRequest(35, range)).status1, 0);
    const Memory written = sim.device().memory();
    EXPECT_EQ(describeDifferences(configurationDifferences(polled, written)),
              "display.ram.10@5,6 transmitter.ram@49,50,51");
    action(sim, 5);
    action(sim, 6);
    transact(sim, longRequest(200, {0}));
    EXPECT_EQ(describeDifferences(configurationDifferences(written, sim.device().memory())),
              "display.eeprom.10@5,6 display.factory.10@5,6 transmitter.eeprom@49,50,51");

    // A memory only one side has differs in all its bytes.
    Memory lacking = written;
    lacking.erase("display.customunit");
    lacking["display.ram.99"] = {};
    EXPECT_EQ(describeDifferences(configurationDifferences(written, lacking)),
              "display.customunit@0,1,2,3,4,5,6,7 display.ram.99");
}

// The universal writes land in the device's records (and the unit in the
// transmitter's range) and nowhere else; write protected, busy or still
// running, a write changes nothing; a state file from before the records
// existed still loads.
TEST(SimDiagnostics, UniversalWritesChangeTheirRecordsAndRefusalsNothing) {
    Bytes tagDescriptorDate = packAscii("TANK 12", 8);
    for (const Bytes& part : {packAscii("LEVEL NORTH", 16), Bytes{24, 12, 126}})
        tagDescriptorDate.insert(tagDescriptorDate.end(), part.begin(), part.end());
    Bytes longTag(32, 0);
    const std::string longText = "Tank twelve, north side";
    std::copy(longText.begin(), longText.end(), longTag.begin());

    Simulator sim;
    const Memory start = sim.device().memory();
    ASSERT_EQ(transact(sim, longRequest(18, tagDescriptorDate)).status1, 0);
    ASSERT_EQ(transact(sim, longRequest(22, longTag)).status1, 0);
    ASSERT_EQ(transact(sim, longRequest(44, {8})).status1, 0);  // mbar
    const Memory written = sim.device().memory();
    std::string names;
    for (const MemoryDifference& d : configurationDifferences(start, written))
        names += d.name + " ";
    EXPECT_EQ(names, "hart.records transmitter.ram ");
    EXPECT_EQ(transact(sim, longRequest(13)).data, tagDescriptorDate);
    EXPECT_EQ(unpackAscii(Bytes(tagDescriptorDate.begin(), tagDescriptorDate.begin() + 6)),
              "TANK 12 ");
    EXPECT_EQ(transact(sim, longRequest(20)).data, longTag);
    const Answer range = transact(sim, longRequest(15));
    EXPECT_EQ(range.data[2], 8);
    EXPECT_FLOAT_EQ(floatAt(range.data, 3), 16000.0f) << "16 bar in mbar";
    EXPECT_EQ(transact(sim, longRequest(1)).data[0], 8);

    struct Refusal {
        const char* options;
        std::vector<std::uint8_t> codes;  // answers to the same write, in turn
        std::uint8_t unitWrite;           // the answer to a unit write then
        bool stored = true;               // a write answered with success is kept
    };
    const Refusal refusals[] = {
        {"writeprotect", {7, 7}, 7},
        {"busy=2", {32, 32, 0}, 0},
        {"delayed=3", {33, 34, 34, 0}, 33},
        {"ignorewrites", {0, 0}, 0, false},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.options);
        DeviceConfig config;
        std::vector<Fault> none;
        ASSERT_TRUE(parseOptions(refusal.options, &config, &none, nullptr));
        Simulator device(config);
        const Memory before = device.device().memory();
        for (std::size_t i = 0; i < refusal.codes.size(); ++i) {
            EXPECT_EQ(transact(device, longRequest(18, tagDescriptorDate)).status1,
                      refusal.codes[i]);
            if (refusal.codes[i] != 0 || !refusal.stored) {
                EXPECT_EQ(
                    describeDifferences(configurationDifferences(before, device.device().memory())),
                    "");
            }
            EXPECT_EQ(transact(device, longRequest(13)).status1, 0) << "reads go on";
        }
        EXPECT_EQ(transact(device, longRequest(44, {8})).status1, refusal.unitWrite);
    }

    // A state file without the records: the device has its own from the
    // factory and keeps the rest of the file.
    const std::string path = scratchPath("older");
    Memory older = written;
    older.erase(kUniversalMemory);
    ASSERT_TRUE(saveMemoryFile(path, older));
    DeviceConfig config;
    config.statePath = path;
    Simulator restarted(config);
    EXPECT_EQ(transact(restarted, longRequest(15)).data[2], 8);
    const Bytes factory = transact(restarted, longRequest(13)).data;
    EXPECT_EQ(unpackAscii(Bytes(factory.begin(), factory.begin() + 6)), "PT-0001 ");
    // Write protection asked for holds over a state file that was written
    // without it.
    config.writeProtect = true;
    Simulator protectedDevice(config);
    EXPECT_EQ(transact(protectedDevice, longRequest(18, tagDescriptorDate)).status1, 7);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace hartsim::test
