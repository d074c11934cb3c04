// Receive, send and verify of programming against the simulated panel's memories, the request
// layouts of single codes and packed groups, the retries, cancel and the refusals.
#include <algorithm>
#include <functional>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/grup.h"
#include "datamodel/grupflash.h"
#include "datamodel/model.h"
#include "datamodel/strings.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class TransferTest : public CoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        ASSERT_TRUE(ConnectForTest());
    }

    CInstalacio& Inst() { return core->GetInstalacio(); }
    CModel& Central() { return Inst().GetCentral(); }

    // The tree item that stands for this group or component.
    TreeItemId ItemOf(std::function<bool(TreeItemId)> match) const {
        for (const auto& [id, node] : tree.nodes)
            if (match(id)) return id;
        return kNoTreeItem;
    }
    TreeItemId GrupItem(const std::string& id) {
        CGrup* grup = Central().FindGrup(id);
        return ItemOf([&](TreeItemId i) { return core->GetTreeIndex().GetGrup(i) == grup; });
    }
    TreeItemId ComponentItem(CModel* model) {
        return ItemOf([&](TreeItemId i) {
            return core->GetTreeIndex().GetKind(i) == TreeNodeComponent && core->GetTreeIndex().GetComponent(i) == model;
        });
    }

    // The bytes the panel holds for a code at this bus address.
    Bytes PanelBytes(std::uint8_t address, CCodi* codi) {
        auto kind = codi->GetAccess() == CodiRam ? panelsim::Memory::Ram : panelsim::Memory::Eeprom;
        return sim.Component(address).Code(kind, static_cast<std::uint16_t>(HexStringToInt(codi->GetCodeNumber())),
                                           codi->GetAddress(), static_cast<std::size_t>(codi->GetByteCount()));
    }
    Bytes CodeBytes(CCodi* codi) {
        const CCodi::RawBytes& b = codi->ToBytes();
        return Bytes(b.begin(), b.begin() + codi->GetByteCount());
    }
    // Every code under the group (walked as the transfer walks it) equals the panel's bytes.
    void ExpectTreeMatchesPanel(CGrup* grup, const std::string& dest, bool forReceive) {
        if (forReceive ? grup->IsNoRecv() : grup->IsNoSend()) return;
        const std::string here = grup->HasDest() ? grup->GetDest() : dest;
        const auto address = static_cast<std::uint8_t>(HexStringToInt(here));
        for (int i = 0; i < grup->GetCodiCount(); ++i) {
            CCodi* codi = grup->GetCodi(i);
            // A packed group reads from the component itself.
            if (grup->IsSeguits()) continue;
            EXPECT_EQ(CodeBytes(codi), PanelBytes(address, codi)) << "code " << codi->GetId();
        }
        for (int i = 0; i < grup->GetSubgrupCount(); ++i) ExpectTreeMatchesPanel(grup->GetSubgrup(i), here, forReceive);
    }

    std::vector<Bytes> Frames(std::uint8_t command) const {
        std::vector<Bytes> out;
        for (const Bytes& f : sim.ReceivedFrames())
            if (f.size() > 5 && f[0] == 0x16 && f[3] == command) out.push_back(f);
        return out;
    }

    // A free-standing code for layout tests, in EEPROM.
    static std::unique_ptr<CCodi> MakeCodi(int type, const std::string& number, const std::string& value) {
        auto codi = std::make_unique<CCodi>();
        codi->SetType(type);
        codi->SetAccess(CodiEeprom);
        codi->SetCodeNumber(number);
        codi->SetKpAddress("999");
        codi->SetValue(value);
        return codi;
    }
};

TEST_F(TransferTest, ReceiveTheCentralTakesThePanelsValues) {
    // The sample installation holds its own values; the panel holds the models' defaults.
    CCodi* user1 = Central().FindCode("011");
    ASSERT_NE(user1, nullptr);
    ASSERT_NE(CodeBytes(user1), PanelBytes(0x01, user1));
    const int count = core->CountNodeItems(ComponentItem(&Central()), true);
    ASSERT_GT(count, 0);

    ASSERT_TRUE(core->Receive(ComponentItem(&Central()))) << core->GetLastError();
    ExpectTreeMatchesPanel(Central().GetRootGrup(), Central().GetBusDir(), true);
    EXPECT_EQ(CodeBytes(user1), PanelBytes(0x01, user1));  // a packed group's code
    EXPECT_TRUE(Inst().IsModified());

    ASSERT_EQ(ui.progress.size(), 1u);
    EXPECT_EQ(ui.progress[0]->title, "Recibiendo...");
    EXPECT_EQ(ui.progress[0]->maximum, count);
    EXPECT_EQ(ui.progress[0]->updates.back().first, count);  // one step per code, exactly
    EXPECT_EQ(edit.calls.back(), "TransferToPanels");
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->HasProgress());
    EXPECT_EQ(core->GetCurrentGrup(), nullptr);
    EXPECT_EQ(core->GetCurrentComponent(), &Central());

    // What was received verifies.
    EXPECT_TRUE(core->Verify(GrupItem("G02"))) << core->GetLastError();
}

TEST_F(TransferTest, SendWritesTheInstallationsValuesIntoThePanel) {
    CCodi* coaccion = Central().FindCode("001");
    ASSERT_NE(coaccion, nullptr);
    coaccion->SetValue("4321");
    CGrup* access = Central().FindGrup("G01");
    const std::size_t before = edit.calls.size();
    ASSERT_TRUE(core->Send(GrupItem("G01"))) << core->GetLastError();
    EXPECT_EQ(edit.CallsFrom(before), std::vector<std::string>{"TransferFromPanels"});
    EXPECT_EQ(ui.Last().title, "Enviando...");
    // One step per code, the packed subgroup's codes too: the bar ends full.
    EXPECT_EQ(ui.Last().updates.back().first, core->CountNodeItems(GrupItem("G01"), false));
    EXPECT_EQ(PanelBytes(0x01, coaccion), (Bytes{0x43, 0x21}));
    ExpectTreeMatchesPanel(access, "01", false);
    CGrup* users = Central().FindGrup("G01U");
    for (int i = 0; i < users->GetCodiCount(); ++i)
        EXPECT_EQ(CodeBytes(users->GetCodi(i)), PanelBytes(0x01, users->GetCodi(i)));

    // Verify finds the first difference and stops there.
    ASSERT_TRUE(core->Verify(GrupItem("G01"))) << core->GetLastError();
    sim.Central().SetCode(panelsim::Memory::Eeprom, 0x0004, 0, Bytes{0x11, 0x11});
    const std::size_t reads = Frames(0x51).size();
    EXPECT_FALSE(core->Verify(GrupItem("G01")));
    EXPECT_EQ(core->GetLastError(), "Diferencias verificando el código 001\nProceso de verificación detenido aquí.");
    EXPECT_EQ(Frames(0x51).size() - reads, 3u);  // 000, 426, 001: nothing after the difference
    EXPECT_EQ(coaccion->GetValue(), "4321");      // verify changes nothing
}

TEST_F(TransferTest, GroupFlagsDecideWhatTravels) {
    // G07 is not received but is sent; the status tree's S01 is not sent.
    CGrup* maintenance = Central().FindGrup("G07");
    ASSERT_TRUE(maintenance->IsNoRecv());
    EXPECT_EQ(core->CountTreeItems(maintenance, true), 0);
    EXPECT_EQ(core->CountTreeItems(maintenance, false), maintenance->GetCodiCount());
    EXPECT_FALSE(core->Receive(GrupItem("G07")));
    EXPECT_EQ(core->GetLastError(), "Nada que recibir");
    EXPECT_TRUE(core->Send(GrupItem("G07"))) << core->GetLastError();

    CGrup* status = Central().FindGrup("S01");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(core->CountTreeItems(status, false), 0);
    // The walks skip them too: not a frame goes out.
    const std::size_t frames = sim.ReceivedFrames().size();
    EXPECT_TRUE(core->ReceiveTree(maintenance, false));
    EXPECT_TRUE(core->SendTree(status));
    EXPECT_EQ(sim.ReceivedFrames().size(), frames);

    // Installation data and plain items count -1; verify of a component is refused.
    TreeItemId data = ItemOf([&](TreeItemId i) { return core->GetTreeIndex().GetKind(i) == TreeNodeDades; });
    EXPECT_EQ(core->CountNodeItems(data, true), -1);
    EXPECT_FALSE(core->Send(data));
    EXPECT_EQ(core->GetLastError(), "Nada que enviar");
    EXPECT_FALSE(core->Verify(ComponentItem(&Central())));
    EXPECT_EQ(core->GetLastError(), "Opción no válida");
    EXPECT_FALSE(core->Send(ComponentItem(&Central())));
    EXPECT_EQ(core->GetLastError(), "Opción no válida");
}

TEST_F(TransferTest, GroupOverrideRedirectsItsCodes) {
    // G08 (IP module) names bus address 30: its codes go there, not to the central.
    CCodi* ip = Central().FindCode("801");
    ip->SetValue("0A000001");
    ASSERT_TRUE(core->Send(GrupItem("G08"))) << core->GetLastError();
    EXPECT_EQ(PanelBytes(0x30, ip), (Bytes{0x0A, 0x00, 0x00, 0x01}));
    for (const Bytes& f : Frames(0xB0)) EXPECT_EQ(f[1] & 0x7F, 0x30);
}

TEST_F(TransferTest, SingleCodesOfUpToEightBytesTakeOneWriteLongerOnesTwo) {
    auto eight = MakeCodi(CodiNibble16, "0400", "0102030405060708");
    auto fourteen = MakeCodi(CodiNibble28, "0410", "0102030405060708090A0B0C0D0E");
    sim.ClearEvents();
    ASSERT_TRUE(core->SendCodi(eight.get())) << core->GetLastError();
    EXPECT_EQ(Frames(0xB0).size(), 1u);
    ASSERT_TRUE(core->SendCodi(fourteen.get())) << core->GetLastError();
    std::vector<Bytes> writes = Frames(0xB0);
    ASSERT_EQ(writes.size(), 3u);
    // EEPROM: the second part's offset moves the address (0x0410 + 8); 6 bytes in it.
    EXPECT_EQ(writes[2][4], 6 * 32 | 0x04);
    EXPECT_EQ(writes[2][5], 0x18);
    EXPECT_EQ(sim.Central().EepromBytes(0x0410, 14), CodeBytes(fourteen.get()));
    EXPECT_EQ(sim.Central().EepromBytes(0x0400, 8), CodeBytes(eight.get()));

    // Read back into other codes at the same places.
    auto back = MakeCodi(CodiNibble28, "0410", "");
    ASSERT_TRUE(core->ReceiveCodi(back.get(), false)) << core->GetLastError();
    EXPECT_EQ(back->GetValue(), "0102030405060708090A0B0C0D0E");
}

TEST_F(TransferTest, PackedGroupOfFiveCodesWithStrideThree) {
    CGrup grup;
    grup.SetSeguits();
    std::vector<std::unique_ptr<CCodi>> codes;
    for (int i = 0; i < 5; ++i) {
        codes.push_back(MakeCodi(CodiNibble6, i == 0 ? "0500" : "", "A0B0C" + std::to_string(i)));
        grup.AddCodi(codes.back().get());
    }
    sim.ClearEvents();
    ASSERT_TRUE(core->SendGrupBlock(&grup)) << core->GetLastError();
    std::vector<Bytes> writes = Frames(0xB0);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0][4] & 0xE0, 0);       // 8 bytes
    EXPECT_EQ(writes[1][4] & 0xE0, 7 * 32);  // 7 bytes
    EXPECT_EQ(writes[1][5], 0x08);           // at offset 8 (EEPROM: in the address)
    Bytes expected;
    for (auto& c : codes) {
        Bytes b = CodeBytes(c.get());
        expected.insert(expected.end(), b.begin(), b.end());
    }
    EXPECT_EQ(sim.Central().EepromBytes(0x0500, 15), expected);

    for (auto& c : codes) c->SetValue("000000");
    ASSERT_TRUE(core->ReceiveGrupBlock(&grup, false)) << core->GetLastError();
    std::vector<Bytes> reads = Frames(0x51);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0][7], 15);  // one request for 15 bytes
    for (int i = 0; i < 5; ++i) EXPECT_EQ(codes[static_cast<std::size_t>(i)]->GetValue(), "A0B0C" + std::to_string(i));

    // The group's own destination takes its writes; its read always goes to the component.
    ASSERT_TRUE(grup.SetDest("30"));
    sim.ClearEvents();
    ASSERT_TRUE(core->SendGrupBlock(&grup)) << core->GetLastError();
    ASSERT_EQ(Frames(0xB0).size(), 2u);
    for (const Bytes& f : Frames(0xB0)) EXPECT_EQ(f[1] & 0x7F, 0x30);
    core->ReceiveGrupBlock(&grup, false);
    ASSERT_EQ(Frames(0x51).size(), 1u);
    EXPECT_EQ(Frames(0x51)[0][1] & 0x7F, 0x01);

    // A group that would not fit the offsets of the write frames is refused before any frame.
    CGrup big;
    big.SetSeguits();
    big.SetDistancia(16);
    std::vector<std::unique_ptr<CCodi>> many;
    for (int i = 0; i < 17; ++i) {
        many.push_back(MakeCodi(CodiNibble2, "0600", "01"));
        big.AddCodi(many.back().get());
    }
    const std::size_t frames = sim.ReceivedFrames().size();
    EXPECT_FALSE(core->SendGrupBlock(&big));
    EXPECT_EQ(core->GetLastError(), "Valor incorrecto");
    EXPECT_EQ(sim.ReceivedFrames().size(), frames);

    // An empty packed group has nothing to move.
    CGrup empty;
    empty.SetSeguits();
    EXPECT_TRUE(core->SendGrupBlock(&empty));
    EXPECT_TRUE(core->ReceiveGrupBlock(&empty, false));
}

TEST_F(TransferTest, UnknownCodeNumbersAreResolvedOnce) {
    CCodi* coaccion = Central().FindCode("001");
    const std::string number = coaccion->GetCodeNumber();
    coaccion->SetCodeNumber("");
    ASSERT_TRUE(core->ReceiveCodi(coaccion, false)) << core->GetLastError();
    EXPECT_EQ(coaccion->GetCodeNumber(), number);
    EXPECT_EQ(Frames(0x23).size(), 1u);
    EXPECT_NE(Log().find("Adreça del codi 001: " + number), std::string::npos);
    ASSERT_TRUE(core->ReceiveCodi(coaccion, false));
    EXPECT_EQ(Frames(0x23).size(), 1u);

    // A local keypad address (0F..) is resolved without asking.
    auto local = MakeCodi(CodiString, "", "");
    local->SetKpAddress("F10");
    ASSERT_TRUE(core->ResolveCodiAddress("01", local.get())) << core->GetLastError();
    EXPECT_EQ(local->GetCodeNumber(), "1100");
    EXPECT_EQ(Frames(0x23).size(), 1u);

    // A keypad address the panel does not know is refused.
    auto unknown = MakeCodi(CodiNibble4, "", "");
    unknown->SetKpAddress("777");
    EXPECT_FALSE(core->ResolveCodiAddress("01", unknown.get()));
    EXPECT_TRUE(unknown->GetCodeNumber().empty());
}

TEST_F(TransferTest, ReadRetriesAfterTimeOuts) {
    CCodi* coaccion = Central().FindCode("001");
    sim.Faults().missingAnswers = 2;
    ASSERT_TRUE(core->ReceiveCodi(coaccion, false)) << core->GetLastError();
    EXPECT_EQ(Frames(0x51).size(), 3u);
    EXPECT_NE(Log().find("retry no data"), std::string::npos);

    sim.Faults().ignoreRequests = 4;  // the frame layer's four attempts of one read
    ASSERT_TRUE(core->ReceiveCodi(coaccion, false)) << core->GetLastError();
    EXPECT_NE(Log().find("retry no answer"), std::string::npos);

    // Four attempts in all, then the frame layer's error: a single code or a packed group
    // whose answers never come, or a read request never acknowledged (four sends of the frame
    // layer's four attempts each).
    CGrup* users = Central().FindGrup("G01U");
    const struct {
        int missing, ignored;
        std::function<bool()> read;
        const char* error;
    } cases[] = {{4, 0, [&] { return core->ReceiveCodi(coaccion, false); }, "Timeout"},
                 {4, 0, [&] { return core->ReceiveGrupBlock(users, false); }, "Timeout"},
                 {0, 16, [&] { return core->ReceiveCodi(coaccion, false); }, "Sin respuesta"}};
    for (const auto& c : cases) {
        sim.Faults().missingAnswers = c.missing;
        sim.Faults().ignoreRequests = c.ignored;
        sim.ClearEvents();
        EXPECT_FALSE(c.read());
        EXPECT_EQ(core->GetLastError(), c.error);
        EXPECT_EQ(Frames(0x51).size(), 4u) << c.error;
    }
}

TEST_F(TransferTest, PackedWriteRepeatsAFrameThatGotNoAcknowledgement) {
    CGrup* users = Central().FindGrup("G01U");
    sim.Faults().ignoreRequests = 12;  // one frame's first three sends of four attempts each
    ASSERT_TRUE(core->SendGrupBlock(users)) << core->GetLastError();
    for (int i = 0; i < users->GetCodiCount(); ++i)
        EXPECT_EQ(CodeBytes(users->GetCodi(i)), PanelBytes(0x01, users->GetCodi(i)));
    sim.Faults().ignoreRequests = 16;
    EXPECT_FALSE(core->SendGrupBlock(users));
    EXPECT_EQ(core->GetLastError(), "Sin respuesta");
}

TEST_F(TransferTest, RefusalsAndCancel) {
    ui.cancelAfterUpdates = 3;
    EXPECT_FALSE(core->Receive(GrupItem("G02")));
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->HasProgress());
    EXPECT_EQ(core->GetCurrentGrup(), nullptr);

    core->SetBusy(true);
    EXPECT_FALSE(core->Receive(GrupItem("G02")));
    EXPECT_EQ(core->GetLastError(), "Espere, Proceso automático en curso");
    EXPECT_FALSE(core->Send(GrupItem("G02")));
    EXPECT_EQ(core->GetLastError(), "Espere, Proceso automático en curso");
    core->SetBusy(false);

    CoreTestAccess::SetConnected(*core, false);
    CCodi* coaccion = Central().FindCode("001");
    const std::size_t frames = sim.ReceivedFrames().size();
    const std::function<bool()> operations[] = {
        [&] { return core->ReceiveCodi(coaccion, false); }, [&] { return core->SendCodi(coaccion); },
        [&] { return core->SendGrupBlock(Central().FindGrup("G01U")); },
        [&] { return core->Receive(GrupItem("G02")); }, [&] { return core->Apply(ComponentItem(&Central())); }};
    for (const auto& operation : operations) {
        EXPECT_FALSE(operation());
        EXPECT_EQ(core->GetLastError(), "No conetado");
    }
    EXPECT_EQ(sim.ReceivedFrames().size(), frames);
}

TEST_F(TransferTest, ApplyAndDefaultValues) {
    ASSERT_TRUE(core->Apply(ComponentItem(&Central()))) << core->GetLastError();
    ASSERT_FALSE(sim.ControlCodes().empty());
    EXPECT_EQ(sim.ControlCodes().back(), 9);
    EXPECT_EQ(Frames(0x10).back()[1] & 0x7F, 0x01);
    EXPECT_EQ(ui.Last().title, "Aplicando...");
    EXPECT_EQ(ui.Last().maximum, 2);
    EXPECT_EQ(ui.Last().updates, (std::vector<std::pair<int, std::string>>{{1, ""}, {1, ""}, {1, ""}, {2, ""}}));

    CCodi* user1 = Central().FindCode("011");
    ASSERT_NE(user1->GetValue(), user1->GetDefaultValue());
    Inst().ClearModified();
    const std::size_t frames = sim.ReceivedFrames().size();
    ASSERT_TRUE(core->ApplyFactoryValues(GrupItem("G01")));
    EXPECT_EQ(user1->GetValue(), user1->GetDefaultValue());  // child groups too
    EXPECT_EQ(sim.ReceivedFrames().size(), frames);           // local only
    EXPECT_TRUE(Inst().IsModified());
    EXPECT_FALSE(core->ApplyFactoryValues(ComponentItem(&Central())));
    EXPECT_EQ(core->GetLastError(), "Opción no válida");
}

TEST_F(TransferTest, OperationsThatStoreThePanelsMarkAnEditOfTheInstallationData) {
    const TreeItemId datos = tree.Child(tree.root, "Datos");
    const std::pair<const char*, std::function<bool()>> operations[] = {
        {"Send", [&] { return core->Send(datos); }},
        {"Verify", [&] { return core->Verify(GrupItem("G02")); }},
        {"ApplyFactoryValues", [&] { return core->ApplyFactoryValues(datos); }},
        {"SendGrup", [&] { return core->SendGrup(Central().FindGrup("G02")); }}};
    for (const auto& [name, operation] : operations) {
        edit.onStore = nullptr;
        core->ShowTreeItem(datos);
        Inst().ClearModified();
        edit.onStore = [&] { edit.dades->SetIpPort(edit.dades->GetIpPort() + 1); };
        operation();
        EXPECT_TRUE(Inst().IsModified()) << name;
    }
}

TEST_F(TransferTest, APackedCodeWhoseBytesDidNotAllArriveFailsTheRead) {
    // A stride shorter than the codes: the last code's bytes lie past the group's read.
    CGrup* users = Central().FindGrup("G01U");
    ASSERT_GT(users->GetCodi(0)->GetByteCount(), 1);
    ASSERT_TRUE(users->SetDistancia(1));
    CCodi* last = users->GetCodi(users->GetCodiCount() - 1);
    const std::string before = last->GetValue();
    for (bool verify : {false, true}) {
        EXPECT_FALSE(core->ReceiveGrupBlock(users, verify));
        EXPECT_EQ(core->GetLastError(), "Valor incorrecto") << verify;
        EXPECT_EQ(last->GetValue(), before);
    }
}

TEST_F(TransferTest, APackedGroupFindsItsCodeNumberWhenItHasNone) {
    CGrup* users = Central().FindGrup("G01U");
    CCodi* first = users->GetCodi(0);
    const std::string number = first->GetCodeNumber();
    ASSERT_FALSE(number.empty());
    for (bool write : {false, true}) {
        for (bool known : {true, false}) {
            if (!known) first->SetCodeNumber("");
            const std::size_t queries = Frames(0x23).size();
            const std::size_t requests = Frames(write ? 0xB0 : 0x51).size();
            ASSERT_TRUE(write ? core->SendGrupBlock(users) : core->ReceiveGrupBlock(users, false)) << core->GetLastError();
            EXPECT_EQ(Frames(0x23).size() - queries, known ? 0u : 1u) << write;
            EXPECT_EQ(first->GetCodeNumber(), number);
            ASSERT_GT(Frames(write ? 0xB0 : 0x51).size(), requests);
            EXPECT_EQ(Frames(write ? 0xB0 : 0x51)[requests][5], HexStringToInt(number) & 0xFF) << write;
        }
    }
}

TEST_F(TransferTest, KeypadGroupsAddressTheCentral) {
    CGrup* access = Central().FindGrup("G01");
    core->SetCurrentComponent(Inst().GetComponent(0));
    Central().FindCode("001")->SetValue("5555");
    ASSERT_TRUE(core->SendGrup(access)) << core->GetLastError();
    EXPECT_EQ(core->GetCurrentComponent(), &Central());
    EXPECT_EQ(PanelBytes(0x01, Central().FindCode("001")), (Bytes{0x55, 0x55}));
    Central().FindCode("001")->SetValue("0000");
    ASSERT_TRUE(core->ReceiveGrup(access)) << core->GetLastError();
    EXPECT_EQ(Central().FindCode("001")->GetValue(), "5555");
    EXPECT_EQ(ui.progress.back()->title, "Recibiendo...");
}

}  // namespace

namespace {

// The panel's frames pass through a rewrite before they reach the link, so a test can drop or
// add answers (late answers to other codes, answers that stop short).
class RewriteTest : public TransferTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoadSample());
        core->BuildTree();
        pipe.Break();  // the fixture's own pipe stays out of the way
        wireService.heard = [this](const Bytes& in) {
            for (std::size_t i = 0; i + 3 < in.size(); ++i)
                if (in[i] == 0x16 && in[i + 3] == 0x51) ++reads;
        };
        wireService.rewrite = [this](const Bytes& bytes) {
            Bytes out;
            for (const Bytes& frame : Split(bytes)) {
                std::vector<Bytes> now = rewrite ? rewrite(frame) : std::vector<Bytes>{frame};
                for (const Bytes& f : now) out.insert(out.end(), f.begin(), f.end());
            }
            return out;
        };
        CConexio& link = core->GetConexio();
        link.SetKind(ConexioTcpIp);
        link.SetIp("127.0.0.1");
        link.SetIpPort(4000);
        ASSERT_TRUE(link.AttachTransport(&wire.LinkEnd()));
        ASSERT_TRUE(link.Open());
        ASSERT_TRUE(ConnectForTest());
    }
    // The core goes first: its disconnect still talks through the wire.
    void TearDown() override { core.reset(); }

    static std::vector<Bytes> Split(const Bytes& bytes) {
        std::vector<Bytes> frames;
        std::size_t i = 0;
        while (i < bytes.size()) {
            std::size_t length = bytes.size() - i;
            if ((bytes[i] == 0x06 || bytes[i] == 0x15) && length >= 5) length = 5;
            else if ((bytes[i] == 0x16 || bytes[i] == 0x02) && length >= 4)
                length = std::min<std::size_t>(length, static_cast<std::size_t>(PanelFrame::DataLength(bytes[i + 3])));
            frames.emplace_back(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i + length));
            i += length;
        }
        return frames;
    }

    // The same answer as if for another code number.
    static Bytes OtherCode(Bytes frame) {
        frame[0] = 0x16;
        frame[5] = static_cast<std::uint8_t>(frame[5] ^ 0x55);
        std::uint16_t crc = panelsim::Crc(std::span<const std::uint8_t>(frame.data(), frame.size() - 2));
        frame[frame.size() - 2] = static_cast<std::uint8_t>(crc >> 8);
        frame[frame.size() - 1] = static_cast<std::uint8_t>(crc & 0xFF);
        return frame;
    }

    static bool IsDataAnswer(const Bytes& f) { return f.size() > 6 && f[3] == 0xB0; }

    PipeTransport wire;
    SimService wireService{sim, wire, clock};
    std::function<std::vector<Bytes>(const Bytes&)> rewrite;
    int reads = 0;
};

TEST_F(RewriteTest, AnswersForAnotherCodeAreSkippedWithPauses) {
    CCodi* coaccion = Central().FindCode("001");
    // Three late answers for another code before the right one: skipped, 500 ms apart.
    int stale = 3;
    rewrite = [&](const Bytes& f) {
        if (!IsDataAnswer(f) || f[0] != 0x16 || stale == 0) return std::vector<Bytes>{f};
        std::vector<Bytes> out(static_cast<std::size_t>(stale), OtherCode(f));
        stale = 0;
        out.push_back(f);
        return out;
    };
    coaccion->SetValue("0000");
    const std::int64_t start = clock.Elapsed();
    ASSERT_TRUE(core->ReceiveCodi(coaccion, false)) << core->GetLastError();
    EXPECT_EQ(coaccion->GetValue(), "FFFF");
    EXPECT_EQ(reads, 1);
    EXPECT_GE(clock.Elapsed() - start, 1500);

    // Four of them end the attempt and empty the queue, the right answer behind them too;
    // after the fourth attempt the read fails.
    rewrite = [&](const Bytes& f) {
        if (!IsDataAnswer(f) || f[0] != 0x16) return std::vector<Bytes>{f};
        std::vector<Bytes> out(4, OtherCode(f));
        out.push_back(f);
        return out;
    };
    reads = 0;
    EXPECT_FALSE(core->ReceiveCodi(coaccion, false));
    EXPECT_EQ(core->GetLastError(), "Valor incorrecto");
    EXPECT_EQ(reads, 4);
    EXPECT_NE(Log().find("Address doesn't match"), std::string::npos);

    // Cancel pressed as the attempt gives up on them: no new attempt.
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 1));
    const std::size_t logged = Log().size();
    ui.cancelIf = [&] { return Log().find("Address doesn't match", logged) != std::string::npos; };
    reads = 0;
    EXPECT_FALSE(core->ReceiveCodi(coaccion, false));
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    EXPECT_EQ(reads, 1);
    core->EndProgress();
}

TEST_F(RewriteTest, FlashAnswersAreTakenInOrderWhateverBlockTheyName) {
    CGrupFlash table;
    table.SetAddrBase("20");
    table.AddColumna();
    table.SetBytesElement(4);
    table.SetElements(8);
    Bytes image(32);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i + 1);
    sim.Central().SetFlashBlock(0x20, Bytes(image.begin(), image.begin() + 16));
    sim.Central().SetFlashBlock(0x21, Bytes(image.begin() + 16, image.end()));
    // Bytes 0-1 of each answer name another block: a block read checks no echo, so the data
    // (from byte 2 on) is taken in the order the answers come.
    for (std::uint8_t named : {0x00, 0x21, 0x99}) {
        SCOPED_TRACE(static_cast<int>(named));
        rewrite = [&](const Bytes& f) {
            if (f.size() != 24 || f[3] != 0xF0) return std::vector<Bytes>{f};
            Bytes other = f;
            other[4] = named;
            other[5] = static_cast<std::uint8_t>(named ^ 0x5A);
            const std::uint16_t crc = panelsim::Crc(std::span<const std::uint8_t>(other.data(), 22));
            other[22] = static_cast<std::uint8_t>(crc >> 8);
            other[23] = static_cast<std::uint8_t>(crc & 0xFF);
            return std::vector<Bytes>{other};
        };
        for (int i = 0; i < table.GetElements(); ++i) std::fill_n(table.GetElementPtr(i), 4, 0x00);
        sim.ClearEvents();
        ASSERT_TRUE(core->ReceiveGrupFlash(&table, false)) << core->GetLastError();
        EXPECT_EQ(Bytes(table.GetElementPtr(0), table.GetElementPtr(0) + 32), image);
        EXPECT_EQ(Frames(0x44).size(), 1u);
    }
}

TEST_F(RewriteTest, AnAnswerThatStopsShortIsNeverDecoded) {
    auto code = MakeCodi(CodiNibble28, "0410", "0102030405060708090A0B0C0D0E");
    ASSERT_TRUE(core->SendCodi(code.get()));
    // The second answer frame (bytes 8 to 13) never arrives during the first read.
    rewrite = [&](const Bytes& f) {
        if (IsDataAnswer(f) && f[7] == 0x09 && reads == 1) return std::vector<Bytes>{};
        return std::vector<Bytes>{f};
    };
    reads = 0;
    code->SetValue("");
    const std::string blank = code->GetValue();
    ASSERT_TRUE(core->ReceiveCodi(code.get(), false)) << core->GetLastError();
    EXPECT_EQ(reads, 2);
    EXPECT_NE(Log().find("retry no data"), std::string::npos);
    EXPECT_EQ(code->GetValue(), "0102030405060708090A0B0C0D0E");

    // Always short: the read fails and the code keeps its value.
    rewrite = [&](const Bytes& f) {
        if (IsDataAnswer(f) && f[7] == 0x09) return std::vector<Bytes>{};
        return std::vector<Bytes>{f};
    };
    code->SetValue("");
    EXPECT_FALSE(core->ReceiveCodi(code.get(), false));
    EXPECT_EQ(core->GetLastError(), "Timeout");
    EXPECT_EQ(code->GetValue(), blank);
}

}  // namespace
