// Flash tables and files against the simulated panel: what reaches the panel's flash, byte for
// byte, and what a read leaves in the table.
#include <fstream>
#include <numeric>

#include "core_harness.h"
#include "datamodel/fitxer.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class FlashTest : public CoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadCentral());
        ASSERT_TRUE(ConnectForTest());
        sim.ClearEvents();
    }

    // Request frames the panel carried out with this command, in order.
    std::vector<Bytes> Executed(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const auto& e : sim.Events())
            if (e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 3 && e.bytes[3] == command)
                out.push_back(e.bytes);
        return out;
    }
    std::int64_t FirstExecutedAt(std::uint8_t command) const {
        for (const auto& e : sim.Events())
            if (e.kind == panelsim::SimEvent::Executed && e.bytes.size() > 3 && e.bytes[3] == command) return e.timeMs;
        return -1;
    }
    static Bytes Payload(const Bytes& frame, std::size_t n) {
        return Bytes(frame.begin() + 4, frame.begin() + 4 + static_cast<long>(n));
    }
    static Bytes Pattern(std::size_t n, int seed = 1) {
        Bytes b(n);
        for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + 7 * i);
        return b;
    }
    static Bytes Table(const CGrupFlash& g) {
        const unsigned char* p = g.GetElementPtr(0);
        return Bytes(p, p + g.GetTableSize());
    }
    // A table of count elements of size bytes at the base block.
    static std::unique_ptr<CGrupFlash> MakeTable(const std::string& base, int count, int size) {
        auto g = std::make_unique<CGrupFlash>();
        g->SetAddrBase(base);
        g->AddColumna();
        g->SetBytesElement(size);
        g->SetElements(count);
        return g;
    }
    void PutFlash(panelsim::SimComponent& c, int block, const Bytes& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 16) {
            Bytes b(bytes.begin() + static_cast<long>(at),
                    bytes.begin() + static_cast<long>(std::min(bytes.size(), at + 16)));
            b.resize(16, 0xFF);
            c.SetFlashBlock(static_cast<std::uint16_t>(block + at / 16), b);
        }
    }
    Bytes GetFlash(panelsim::SimComponent& c, int block, std::size_t n) {
        Bytes out;
        for (std::size_t at = 0; at < n; at += 16) {
            auto b = c.FlashBlock(static_cast<std::uint16_t>(block + at / 16));
            out.insert(out.end(), b.begin(), b.end());
        }
        out.resize(n);
        return out;
    }
    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        std::string path = (dir.Path() / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // A file group at the base block with one file of the given sector, marked to be sent.
    std::unique_ptr<CGrupFlash> MakeFiles(const std::string& base, int sector, const std::string& path) {
        auto g = std::make_unique<CGrupFlash>();
        g->SetAddrBase(base);
        auto f = std::make_unique<CFitxer>();
        f->SetId("F");
        f->SetIndex(3);
        f->SetSector(sector);
        f->SetLong(2);
        f->SetPath(path);
        f->SetSend(true);
        g->AddFitxer(std::move(f));
        return g;
    }
    CModel& Central() { return core->GetInstalacio().GetCentral(); }
};

TEST_F(FlashTest, TableOfTenThreeByteElementsTravelsAsTwoBlocks) {
    auto g = MakeTable("20", 10, 3);
    Bytes data = Pattern(30, 9);
    for (int i = 0; i < 10; ++i) g->StoreElement(i, std::span(data.data() + 3 * i, 3));
    ASSERT_TRUE(core->BeginProgress("Enviando...", 10));
    ASSERT_TRUE(core->SendGrupFlash(g.get())) << core->GetLastError();
    core->EndProgress();

    auto erase = Executed(0x25);
    ASSERT_EQ(erase.size(), 1u);
    EXPECT_EQ(Payload(erase[0], 2), (Bytes{0x20, 0x00}));
    auto writes = Executed(0xF0);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(Payload(writes[0], 2), (Bytes{0x20, 0x00}));
    EXPECT_EQ(Payload(writes[1], 2), (Bytes{0x21, 0x00}));
    Bytes expected = data;
    expected.resize(32, 0x00);  // the last block's frame is zero-filled
    EXPECT_EQ(GetFlash(sim.Central(), 0x20, 32), expected);
    // One second of erase time passes before the first write.
    EXPECT_GE(FirstExecutedAt(0xF0) - FirstExecutedAt(0x25), 1000);
    const ProgressRecord& p = *ui.progress.back();
    auto shown = [&](const std::string& message) {
        return std::find(p.updates.begin(), p.updates.end(), std::pair<int, std::string>{1, message}) !=
               p.updates.end();
    };
    EXPECT_TRUE(shown("Deleting flash memory..."));
    EXPECT_TRUE(shown("Enviando tabla flash..."));
    EXPECT_EQ(p.updates.back().first, 3);  // the erase step and one per block

    auto back = MakeTable("20", 10, 3);
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 2));
    ASSERT_TRUE(core->ReceiveGrupFlash(back.get(), false)) << core->GetLastError();
    EXPECT_EQ(core->GetOperationProgress().Value(), 1);  // a step after each answer but the last
    core->EndProgress();
    EXPECT_EQ(Table(*back), data);
    auto reads = Executed(0x44);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(Payload(reads[0], 4), (Bytes{0x20, 0x00, 2, 0}));
}

TEST_F(FlashTest, ReadThatStopsShortKeepsTheCompleteElementsAndFails) {
    auto g = MakeTable("40", 12, 3);  // 36 bytes: three blocks
    Bytes image = Pattern(48, 3);
    PutFlash(sim.Central(), 0x40, image);
    sim.Faults().keepAnswers = 1;  // only the first 16 bytes come
    EXPECT_FALSE(core->ReceiveGrupFlash(g.get(), false));
    EXPECT_EQ(core->GetLastError(), "Timeout");
    Bytes table = Table(*g);
    EXPECT_EQ(Bytes(table.begin(), table.begin() + 15), Bytes(image.begin(), image.begin() + 15));
    EXPECT_EQ(Bytes(table.begin() + 15, table.end()), Bytes(21, 0x00));  // elements 5 on untouched
    EXPECT_EQ(Executed(0x44).size(), 1u);
}

TEST_F(FlashTest, ReadStepsTheDialogBetweenAnswersWhereACancelStopsIt) {
    auto g = MakeTable("40", 12, 4);  // 48 bytes: three blocks, three answers
    PutFlash(sim.Central(), 0x40, Pattern(48, 3));
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 10));
    ASSERT_TRUE(core->ReceiveGrupFlash(g.get(), false)) << core->GetLastError();
    EXPECT_EQ(ui.progress.back()->updates.back().first, 2);  // after the first two answers
    core->EndProgress();

    // Cancel at the step after the first answer: the read stops with the first block's elements,
    // and a read at once after the panel's table changed takes only the new table.
    std::fill_n(g->GetElementPtr(0), 48, 0x55);
    ui.cancelIf = [&] { return ui.progress.back()->updates.back().first >= 1; };
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 10));
    EXPECT_FALSE(core->ReceiveGrupFlash(g.get(), false));
    core->EndProgress();
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    Bytes expected = Pattern(16, 3);
    expected.resize(48, 0x55);
    EXPECT_EQ(Table(*g), expected);
    ui.cancelIf = nullptr;
    PutFlash(sim.Central(), 0x40, Pattern(48, 9));
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 10));
    ASSERT_TRUE(core->ReceiveGrupFlash(g.get(), false)) << core->GetLastError();
    core->EndProgress();
    EXPECT_EQ(Table(*g), Pattern(48, 9));
}

TEST_F(FlashTest, ReadWithoutAnswerIsRepeatedThreeTimes) {
    auto g = MakeTable("40", 4, 4);
    Bytes image = Pattern(16, 5);
    PutFlash(sim.Central(), 0x40, image);
    sim.Faults().missingAnswers = 3;
    ASSERT_TRUE(core->ReceiveGrupFlash(g.get(), false)) << core->GetLastError();
    EXPECT_EQ(Table(*g), image);
    EXPECT_EQ(Executed(0x44).size(), 4u);

    sim.ClearEvents();
    sim.Faults().missingAnswers = 4;
    EXPECT_FALSE(core->ReceiveGrupFlash(g.get(), false));
    EXPECT_EQ(core->GetLastError(), "Timeout");
    EXPECT_EQ(Executed(0x44).size(), 4u);
}

TEST_F(FlashTest, TableLongerThanOneRequestIsReadInParts) {
    auto g = MakeTable("1000", 1600, 3);  // 4800 bytes: 300 blocks
    Bytes image = Pattern(4800, 11);
    PutFlash(sim.Central(), 0x1000, image);
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 300));
    ASSERT_TRUE(core->ReceiveGrupFlash(g.get(), false)) << core->GetLastError();
    EXPECT_EQ(core->GetOperationProgress().Value(), 299);
    core->EndProgress();
    EXPECT_EQ(Table(*g), image);
    auto reads = Executed(0x44);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(Payload(reads[0], 3), (Bytes{0x00, 0x10, 255}));
    EXPECT_EQ(Payload(reads[1], 3), (Bytes{0xFF, 0x10, 45}));
}

TEST_F(FlashTest, BlocksPastTheAddressRangeAreRefusedBeforeAnyFrame) {
    auto g = MakeTable("FFFF", 4, 8);  // two blocks from 0xFFFF
    EXPECT_FALSE(core->ReceiveGrupFlash(g.get(), false));
    EXPECT_EQ(core->GetLastError(), "Dirección no válida");
    EXPECT_FALSE(core->SendGrupFlash(g.get()));
    EXPECT_EQ(core->GetLastError(), "Dirección no válida");
    auto empty = std::make_unique<CGrupFlash>();
    EXPECT_FALSE(core->SendGrupFlash(empty.get()));
    EXPECT_EQ(core->GetLastError(), "Nada que enviar");
    EXPECT_EQ(sim.ExecutedCount(), 0);
}

TEST_F(FlashTest, WriteThatTimesOutIsSentAgain) {
    auto g = MakeTable("60", 2, 16);
    Bytes data = Pattern(32, 2);
    g->StoreElement(0, std::span(data.data(), 16));
    g->StoreElement(1, std::span(data.data() + 16, 16));
    // Once the erase is done the panel stays silent through one whole send of the first block.
    // (The hook outlives the test body: it holds its own state.)
    auto silence = std::make_shared<int>(4);
    clock.OnSleep([this, silence](std::int64_t) {
        if (*silence > 0 && !Executed(0x25).empty()) {
            sim.Faults().ignoreRequests = *silence;
            *silence = 0;
        }
    });
    ASSERT_TRUE(core->SendGrupFlash(g.get())) << core->GetLastError();
    EXPECT_EQ(GetFlash(sim.Central(), 0x60, 32), data);
    EXPECT_EQ(Executed(0xF0).size(), 2u);

    sim.ClearEvents();
    *silence = 16;  // four sends of four attempts
    EXPECT_FALSE(core->SendGrupFlash(g.get()));
    EXPECT_EQ(core->GetLastError(), "Sin respuesta");
    EXPECT_TRUE(Executed(0xF0).empty());
}

TEST_F(FlashTest, FileBlocksSkipTheFirstTwoBlocksOfTheFlash) {
    Bytes file = Pattern(100, 4);  // 100 bytes and the 0xFF end mark: 7 blocks
    std::string path = WriteFile("f.bin", file);
    Bytes sent = file;
    sent.push_back(0xFF);
    sent.resize(112, 0x00);

    struct Case {
        const char* base;
        int firstFileBlock;
    } cases[] = {{"0", 2}, {"1", 1}, {"2", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        sim.ClearEvents();
        sim.Central().EraseFlash(0, 16);
        auto g = MakeFiles(c.base, 0, path);
        ASSERT_TRUE(core->SendGrupFlash(g.get())) << core->GetLastError();
        const int base = std::stoi(c.base, nullptr, 16);
        auto writes = Executed(0xF0);
        ASSERT_EQ(writes.size(), static_cast<std::size_t>(7 - c.firstFileBlock));
        EXPECT_EQ(writes[0][4], base + c.firstFileBlock);
        EXPECT_EQ(writes[0][4], std::max(base, 2));
        const std::size_t from = static_cast<std::size_t>(c.firstFileBlock) * 16;
        EXPECT_EQ(GetFlash(sim.Central(), base + c.firstFileBlock, 112 - from), Bytes(sent.begin() + from, sent.end()));
        for (int b = 0; b < 2; ++b) EXPECT_EQ(sim.Central().FlashBlock(b)[0], 0xFF) << "block " << b;
        auto erase = Executed(0x26);
        ASSERT_EQ(erase.size(), 1u);
        EXPECT_EQ(Payload(erase[0], 2), (Bytes{3, 0}));
        EXPECT_GE(FirstExecutedAt(0xF0) - FirstExecutedAt(0x26), 4000);
    }
}

TEST_F(FlashTest, ModelFileGoesToItsGroupsBusAddressAtItsSector) {
    CGrupFlash* g = Central().FindGrupFlash("F03");  // bus 30, base 0x0100; LOGO: index 2, sector 32
    ASSERT_NE(g, nullptr);
    panelsim::SimComponent& module = sim.Component(0x30);
    Bytes logo = Pattern(5000, 6);
    CFitxer* f = g->FindFitxer("LOGO");
    ASSERT_NE(f, nullptr);
    f->SetPath(WriteFile("logo.gif", logo));
    f->SetSend(true);
    ASSERT_TRUE(core->SendGrupFlash(g)) << core->GetLastError();
    Bytes sent = logo;
    sent.push_back(0xFF);
    EXPECT_EQ(GetFlash(module, 0x0100 + 32 * 0x100, sent.size()), sent);
    auto erase = Executed(0x26);
    ASSERT_EQ(erase.size(), 1u);
    EXPECT_EQ(erase[0][1] & 0x7F, 0x30);
    EXPECT_EQ(Payload(erase[0], 2), (Bytes{2, 0}));
    EXPECT_EQ(Executed(0xF0).size(), (sent.size() + 15) / 16);

    // Sector 3 of a group at base 0 starts at block 0x300.
    sim.ClearEvents();
    auto three = MakeFiles("0", 3, WriteFile("s3.bin", Pattern(20)));
    ASSERT_TRUE(core->SendGrupFlash(three.get())) << core->GetLastError();
    auto writes = Executed(0xF0);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(Payload(writes[0], 2), (Bytes{0x00, 0x03}));
}

TEST_F(FlashTest, FileUploadReadsTheFileAfreshAndNeverErasesForNothing) {
    auto none = std::make_unique<CGrupFlash>();
    none->SetAddrBase("100");
    auto unmarked = std::make_unique<CFitxer>();
    unmarked->SetPath(WriteFile("u.bin", Pattern(10)));
    unmarked->SetLong(1);
    none->AddFitxer(std::move(unmarked));
    EXPECT_TRUE(core->SendGrupFlash(none.get()));
    EXPECT_EQ(sim.ExecutedCount(), 0);

    std::string missing = (dir.Path() / "missing.bin").string();
    auto g = MakeFiles("100", 0, missing);
    EXPECT_FALSE(core->SendGrupFlash(g.get()));
    EXPECT_EQ(core->GetLastError(), "No se puede leer el fichero: " + missing);
    WriteFile("empty.bin", {});
    g->GetFitxer(0)->SetPath((dir.Path() / "empty.bin").string());
    EXPECT_FALSE(core->SendGrupFlash(g.get()));
    EXPECT_EQ(core->GetLastError().rfind("El fichero ", 0), 0u) << core->GetLastError();
    EXPECT_EQ(sim.ExecutedCount(), 0);  // the panel's file area was not erased

    // The same path with new contents on disk: the new contents go.
    std::string path = WriteFile("v.bin", Pattern(16, 1));
    g->GetFitxer(0)->SetPath(path);
    ASSERT_TRUE(core->SendGrupFlash(g.get())) << core->GetLastError();
    WriteFile("v.bin", Pattern(16, 2));
    ASSERT_TRUE(core->SendGrupFlash(g.get())) << core->GetLastError();
    EXPECT_EQ(GetFlash(sim.Central(), 0x100, 16), Pattern(16, 2));
}

TEST_F(FlashTest, FileLongerThanItsSectorsIsRefusedBeforeTheErase) {
    // Two reserved sectors: 8192 bytes. A file that fills them exactly still goes; one byte more
    // was cut at load and is refused, naming the file's length and its space.
    struct Case {
        std::size_t size;
        bool sent;
    } cases[] = {{8191, true}, {8192, true}, {8193, false}, {43409, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        sim.ClearEvents();
        const Bytes old = Pattern(8192, 5);
        PutFlash(sim.Central(), 0x100, old);
        const std::string path = WriteFile("logo" + std::to_string(c.size) + ".gif", Pattern(c.size, 8));
        auto g = MakeFiles("100", 0, path);
        const std::int64_t before = clock.Elapsed();
        const int executed = sim.ExecutedCount();
        EXPECT_EQ(core->SendGrupFlash(g.get()), c.sent) << core->GetLastError();
        if (c.sent) {
            Bytes sent = Pattern(c.size, 8);
            if (c.size < 8192) sent.push_back(0xFF);
            EXPECT_EQ(GetFlash(sim.Central(), 0x100, 8192), sent);
            continue;
        }
        EXPECT_EQ(core->GetLastError(), "El fichero " + path + " ocupa " + std::to_string(c.size) +
                                            " bytes y el espacio reservado es de 8192 bytes");
        EXPECT_EQ(sim.ExecutedCount(), executed);  // not even the erase request
        EXPECT_EQ(GetFlash(sim.Central(), 0x100, 8192), old);
        EXPECT_EQ(clock.Elapsed(), before);  // no erase wait either
        // The file is still cut at load, as the group's size says.
        EXPECT_EQ(g->GetFitxer(0)->GetSize(), 8192);
    }
}

TEST_F(FlashTest, CancelDuringTheEraseWaitWritesNothing) {
    auto g = MakeTable("20", 4, 4);
    ui.cancelAfterUpdates = 4;  // the step after the erase, then three rounds of the wait
    ASSERT_TRUE(core->BeginProgress("Enviando...", 4));
    EXPECT_FALSE(core->SendGrupFlash(g.get()));
    core->EndProgress();
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    EXPECT_EQ(Executed(0x25).size(), 1u);
    EXPECT_TRUE(Executed(0xF0).empty());

    // Cancel pressed once the whole table came fails the read all the same.
    auto h = MakeTable("60", 4, 4);
    PutFlash(sim.Central(), 0x60, Pattern(16, 2));
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 1));
    ui.cancelIf = [&] { return Table(*h) == Pattern(16, 2); };
    EXPECT_FALSE(core->ReceiveGrupFlash(h.get(), false));
    core->EndProgress();
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
}

TEST_F(FlashTest, FactoryValuesAndEepromResetReachTheCurrentComponentAndReportFailure) {
    EXPECT_TRUE(core->StoreFactoryValues()) << core->GetLastError();
    EXPECT_TRUE(core->RestoreFactoryValues()) << core->GetLastError();
    EXPECT_TRUE(core->HardResetEeprom()) << core->GetLastError();
    EXPECT_EQ(sim.ControlCodes(), (std::vector<int>{28, 29, 5}));
    for (const Bytes& f : Executed(0x10)) EXPECT_EQ(f[1] & 0x7F, 0x01);
    EXPECT_FALSE(core->IsBusy());

    sim.Faults().ignoreRequests = 4;
    EXPECT_FALSE(core->StoreFactoryValues());
    EXPECT_EQ(core->GetLastError(), "Sin respuesta");

    CoreTestAccess::SetConnected(*core, false);
    EXPECT_FALSE(core->HardResetEeprom());
    EXPECT_EQ(core->GetLastError(), "No conetado");
    EXPECT_FALSE(core->ReceiveGrupFlash(Central().FindGrupFlash("F01"), false));
    EXPECT_EQ(core->GetLastError(), "No conetado");
    EXPECT_FALSE(core->SendGrupFlash(Central().FindGrupFlash("F01")));
    EXPECT_EQ(core->GetLastError(), "No conetado");
}

}  // namespace
