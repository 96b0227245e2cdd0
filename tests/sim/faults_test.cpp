// Injected faults, and the fault and option texts of command lines and the
// environment.

#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

Fault make(Fault::Kind kind, int count = 1, int command = -1) {
    Fault f;
    f.kind = kind;
    f.count = count;
    f.command = command;
    return f;
}

TEST(SimFaults, EachKindSpoilsOneAnswerThenExpires) {
    const Bytes request = longRequest(141);
    Simulator reference;
    const Bytes normal = reference.receive(request.data(), request.size()).at(0).bytes;

    struct Case {
        const char* text;
        bool answered;
        std::size_t noise;
        bool checkByteOk;
        std::uint8_t status1, status2;
        std::size_t dataSize;
        int delayMs;
    };
    const Case cases[] = {
        {"noanswer", false, 0, false, 0, 0, 0, 0},
        {"lost", false, 0, false, 0, 0, 0, 0},
        {"badcheck", true, 0, false, 0, 0, 26, 20},
        {"wronglength", true, 0, true, 0, 0, 25, 20},  // byte count 27, consistent
        {"busy", true, 0, true, 32, 0, 0, 20},
        {"error:16", true, 0, true, 16, 0, 0, 20},
        {"commerror:0x08", true, 0, true, 0x88, 0, 0, 20},
        {"late:400", true, 0, true, 0, 0, 26, 420},
        {"noise:12", true, 12, true, 0, 0, 26, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Simulator sim;
        sim.injectFault(*parseFault(c.text));
        const std::vector<Reply> replies = sim.receive(request.data(), request.size());
        ASSERT_EQ(replies.size(), c.answered ? 1u : 0u);
        if (c.answered) {
            const std::optional<Answer> a = readAnswer(replies[0].bytes);
            ASSERT_TRUE(a);  // the byte count always matches the bytes sent
            EXPECT_EQ(a->noiseBytes, c.noise);
            EXPECT_EQ(a->checkByteOk, c.checkByteOk);
            EXPECT_EQ(a->status1, c.status1);
            EXPECT_EQ(a->status2, c.status2);
            EXPECT_EQ(a->data.size(), c.dataSize);
            EXPECT_EQ(replies[0].delayMs, c.delayMs);
        }
        // Used up: the next answer is the normal one.
        const std::vector<Reply> next = sim.receive(request.data(), request.size());
        ASSERT_EQ(next.size(), 1u);
        EXPECT_EQ(next[0].bytes, normal);
        EXPECT_EQ(next[0].delayMs, 20);
    }
}

TEST(SimFaults, CountAndCommandFiltersAndOrder) {
    Simulator sim;
    sim.injectFault(make(Fault::Kind::Busy, 2, 141));
    sim.injectFault(make(Fault::Kind::NoAnswer, 1));

    // Command 0 passes the busy fault by and meets the silent one.
    EXPECT_TRUE(sim.receive(longRequest(0).data(), longRequest(0).size()).empty());
    EXPECT_EQ(transact(sim, longRequest(0)).status1, 0);
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 32);
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 32);
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 0);

    sim.injectFault(make(Fault::Kind::Busy, 5));
    sim.clearFaults();
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 0);

    sim.injectFault(make(Fault::Kind::Busy, 0));  // for no answer at all: ignored
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 0);
    // A silenced frame still counts as ours; no answer was given.
    EXPECT_EQ(sim.statistics().framesForUs, 7u);
    EXPECT_EQ(sim.statistics().answers, 6u);
}

TEST(SimFaults, RefusedRequestsAreNotCarriedOut) {
    Simulator sim;
    Bytes image = readBlock(sim, 13).data;
    image[15] = 0x01;  // mp_rot
    image[21] = 0xFF;
    image[22] = 0x0F;
    sim.injectFault(make(Fault::Kind::Busy, 1, 190));
    EXPECT_EQ(transact(sim, longRequest(190, image)).status1, 32);
    EXPECT_EQ(readBlock(sim, 13).data[15], 0x00);
    EXPECT_EQ(transact(sim, longRequest(190, image)).status1, 0);
    EXPECT_EQ(readBlock(sim, 13).data[15], 0x01);
}

TEST(SimFaults, ParseFaultGoodTexts) {
    struct Case {
        const char* text;
        Fault::Kind kind;
        int count, command, code, delayMs, noiseBytes;
    };
    const Case cases[] = {
        {"noanswer", Fault::Kind::NoAnswer, 1, -1, 0, 0, 8},
        {"badcheck", Fault::Kind::BadCheckByte, 1, -1, 0, 0, 8},
        {"wronglength@191", Fault::Kind::WrongLength, 1, 191, 0, 0, 8},
        {"lost*12@34", Fault::Kind::LostAnswer, 12, 34, 0, 0, 8},
        {"truncated@190", Fault::Kind::Truncated, 1, 190, 0, 0, 8},
        {"busy*3@141", Fault::Kind::Busy, 3, 141, 0, 0, 8},
        {"busy x3 @141", Fault::Kind::Busy, 3, 141, 0, 0, 8},
        {"BUSY@141x3", Fault::Kind::Busy, 3, 141, 0, 0, 8},
        {"error:64", Fault::Kind::ErrorCode, 1, -1, 64, 0, 8},
        {"error:0x40x2", Fault::Kind::ErrorCode, 2, -1, 64, 0, 8},
        {"commerror:0x08", Fault::Kind::CommError, 1, -1, 0x08, 0, 8},
        {"commerror:0x88", Fault::Kind::CommError, 1, -1, 0x08, 0, 8},
        {"late:400*2", Fault::Kind::Late, 2, -1, 0, 400, 8},
        {"noise:12", Fault::Kind::Noise, 1, -1, 0, 0, 12},
        {"noise@0x8d", Fault::Kind::Noise, 1, 141, 0, 0, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Fault> f = parseFault(c.text);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->kind, c.kind);
        EXPECT_EQ(f->count, c.count);
        EXPECT_EQ(f->command, c.command);
        if (c.kind == Fault::Kind::ErrorCode || c.kind == Fault::Kind::CommError) {
            EXPECT_EQ(f->code, c.code);
        }
        EXPECT_EQ(f->delayMs, c.delayMs);
        EXPECT_EQ(f->noiseBytes, c.noiseBytes);
    }
}

TEST(SimFaults, ParseFaultBadTexts) {
    for (const char* text : {"", "busy:3", "error", "error:0", "error:128", "commerror:0x80",
                             "late", "late:-1", "noise:0", "busy*0", "busy*", "busy@256", "busy@",
                             "busy*2*3", "busy@1@2", "slow", "busy!", "late:99999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseFault(text));
    }
}

TEST(SimFaults, ParseOptionsFillsConfigurationAndFaults) {
    DeviceConfig config;
    std::vector<Fault> faults;
    std::string error;
    ASSERT_TRUE(parseOptions(
        " presence=display, address=3,version=5,realtime,fault=busy*2@141, deviceid=0xABCDEF,"
        "manufacturer=0x11,devicetype=200,preambles=10,turnaround=0,config=21,seed=9,"
        "fixedcurrent=12.5,fault=noanswer,",
        &config, &faults, &error))
        << error;
    EXPECT_EQ(config.presence, Presence::DisplayOnly);
    EXPECT_EQ(config.pollingAddress, 3);
    EXPECT_EQ(config.displayInterfaceVersion, 5);
    EXPECT_TRUE(config.realtime);
    EXPECT_EQ(config.deviceId, 0xABCDEFu);
    EXPECT_EQ(config.manufacturerId, 0x11);
    EXPECT_EQ(config.deviceType, 200);
    EXPECT_EQ(config.preambles, 10);
    EXPECT_EQ(config.turnaroundMs, 0);
    EXPECT_EQ(config.configurationKey, 0x21);
    EXPECT_EQ(config.seed, 9u);
    EXPECT_FLOAT_EQ(config.fixedCurrentMa, 12.5f);
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].kind, Fault::Kind::Busy);
    EXPECT_EQ(faults[0].count, 2);
    EXPECT_EQ(faults[1].kind, Fault::Kind::NoAnswer);

    EXPECT_FALSE(config.holdPercent);
    EXPECT_FALSE(config.powerCycle);
    ASSERT_TRUE(
        parseOptions("hold=-12.5,teachtime=1500,state=/tmp/Dev State,powercycle,log=/tmp/F.log",
                     &config, &faults, &error))
        << error;
    ASSERT_TRUE(config.holdPercent);
    EXPECT_DOUBLE_EQ(*config.holdPercent, -12.5);
    EXPECT_EQ(config.teachMs, 1500);
    EXPECT_EQ(config.statePath, "/tmp/Dev State");
    EXPECT_TRUE(config.powerCycle);
    EXPECT_EQ(config.frameLogPath, "/tmp/F.log");
    ASSERT_TRUE(parseOptions("powercycle=off", &config, &faults, &error));
    EXPECT_FALSE(config.powerCycle);

    // The display unit is checked against the record the options choose,
    // in any order, and kept as the unit list writes it.
    EXPECT_TRUE(config.displayUnit.empty());
    EXPECT_EQ(config.calibrationDecimals, -1);
    EXPECT_FALSE(config.nulPaddedTexts);
    ASSERT_TRUE(parseOptions("displayunit=MBAR,caldecimals=3,textpad=nul,config=1", &config,
                             &faults, &error))
        << error;
    EXPECT_EQ(config.displayUnit, "mbar");
    EXPECT_EQ(config.calibrationDecimals, 3);
    EXPECT_TRUE(config.nulPaddedTexts);
    ASSERT_TRUE(parseOptions("displayunit=f,config=20,caldecimals=1,textpad=blank", &config,
                             &faults, &error))
        << error;
    EXPECT_EQ(config.displayUnit, "°F");
    EXPECT_FALSE(config.nulPaddedTexts);

    // Another maker's device: the identity sets address bytes and presence,
    // the options after it win.
    ASSERT_TRUE(parseOptions(
        "identity=hart7,deviceid=0x010203,foreign=layout,tag=Tank 7,"
        "longtag=Tank seven outlet,writeprotect,morestatus,burst=500,othermaster=250,busy=2,"
        "delayed=3,status=0x81",
        &config, &faults, &error))
        << error;
    EXPECT_EQ(config.identity, Identity::Hart7);
    EXPECT_EQ(config.universalRevision(), 7);
    EXPECT_EQ(config.manufacturerId, 0xE1);
    EXPECT_EQ(config.deviceType, 0xA5);
    EXPECT_EQ(config.deviceId, 0x010203u);
    EXPECT_EQ(config.presence, Presence::TransmitterOnly);
    EXPECT_EQ(config.foreignAnswer, ForeignAnswer::OtherLayout);
    EXPECT_EQ(config.tag, "Tank 7");
    EXPECT_EQ(config.longTag, "Tank seven outlet");
    EXPECT_TRUE(config.writeProtect);
    EXPECT_TRUE(config.moreStatus);
    EXPECT_EQ(config.burstMs, 500);
    EXPECT_EQ(config.otherMasterMs, 250);
    EXPECT_EQ(config.busyWrites, 2);
    EXPECT_EQ(config.delayedRepeats, 3);
    EXPECT_EQ(config.statusBits, 0x81);
    ASSERT_TRUE(parseOptions("identity=hart5,foreign=error", &config, &faults, &error));
    EXPECT_EQ(config.manufacturerId, 0x26);
    EXPECT_EQ(config.deviceType, 0x06);
    EXPECT_EQ(config.foreignAnswer, ForeignAnswer::DeviceError);
    ASSERT_TRUE(parseOptions("identity=ours", &config, &faults, &error));
    EXPECT_EQ(config.manufacturerId, 0x94);
    EXPECT_EQ(config.universalRevision(), 5);

    ASSERT_TRUE(parseOptions("realtime=off,presence=both", &config, &faults, &error));
    EXPECT_FALSE(config.realtime);
    EXPECT_EQ(config.presence, Presence::Both);
    EXPECT_EQ(faults.size(), 2u);  // faults are added to the list
    ASSERT_TRUE(parseOptions("", &config, &faults, &error));
}

TEST(SimFaults, ParseOptionsRejectsBadTextsAndChangesNothing) {
    for (const char* text : {"colour=red",
                             "address=64",
                             "address=",
                             "address",
                             "presence=nobody",
                             "version=256",
                             "deviceid=0x1000000",
                             "preambles=1",
                             "turnaround=-5",
                             "config=99",
                             "config=",
                             "fixedcurrent=2",
                             "fixedcurrent=abc",
                             "realtime=maybe",
                             "fault=busy:1",
                             "address=3,fault=nonsense",
                             "hold=151",
                             "hold=-51",
                             "hold=half",
                             "hold=",
                             "teachtime=-1",
                             "teachtime=60001",
                             "state=",
                             "log=",
                             "powercycle=maybe",
                             "displayunit=",
                             "displayunit=°F",
                             "config=20,displayunit=mbar",
                             "displayunit=K,config=2",
                             "caldecimals=4",
                             "caldecimals=-1",
                             "config=2,caldecimals=2",
                             "caldecimals=3,config=20",
                             "textpad=zero",
                             "identity=hart6",
                             "foreign=maybe",
                             "tag=NINECHARS",
                             "longtag="
                             "123456789012345678901234567890123",
                             "burst=-1",
                             "othermaster=600001",
                             "busy=x",
                             "delayed=1001",
                             "writeprotect=perhaps"}) {
        SCOPED_TRACE(text);
        DeviceConfig config;
        std::vector<Fault> faults;
        std::string error;
        EXPECT_FALSE(parseOptions(text, &config, &faults, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(config.pollingAddress, 0);
        EXPECT_TRUE(faults.empty());
    }
    std::string error;
    EXPECT_FALSE(parseOptions("address=1", nullptr, nullptr, &error));
}

}  // namespace
}  // namespace hartsim::test
