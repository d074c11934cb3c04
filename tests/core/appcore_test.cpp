#include <fstream>

#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/model.h"

TEST_F(CoreTest, SampleInstallationTalksToTheSimulatedPanel) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    CProtocol& proto = core->GetProtocol();
    ASSERT_TRUE(proto.BuildReadClock(core->GetInstalacio().GetCentral().GetBusDir()));
    ASSERT_TRUE(proto.Send()) << proto.GetError();
    ASSERT_TRUE(proto.WaitAnswer(0xB1, 0xB0, 0xFF)) << proto.GetError();
    int length = 0;
    ASSERT_NE(proto.GetAnswer(length), nullptr);
    EXPECT_GE(length, 9);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CoreTest, UnreadableSettingsShowOneBoxAndTheCoreStillWorks) {
    std::filesystem::remove(dir / "config.xml");
    Rebuild();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].second, "Error");
    EXPECT_FALSE(ui.messages[0].first.empty());

    dir.Write("config.xml", "<config><oem><about>x</about></oem><ini>");
    ui.messages.clear();
    Rebuild();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].second, "Error");
    // Later operations run on empty settings.
    EXPECT_TRUE(core->GetConfig().GetUltim(0).empty());
    EXPECT_TRUE(core->SaveConfig()) << core->GetLastError();
    EXPECT_TRUE(ConnectForTest());
    EXPECT_TRUE(core->OnPollTimer());
}

TEST_F(CoreTest, AboutTextHoldsEveryLabelWithAnEmptyBrandingSection) {
    dir.Write("config.xml", "<config>\n\t<oem>\n\t</oem>\n</config>\n");
    Rebuild();
    std::string about;
    core->GetAboutText(about);
    EXPECT_EQ(about, " version: 1.06\n\n\n\n\n\nTeléfono: \nemail: \nWebsite: ");

    dir.Write("config.xml",
              "<config><oem><nom-programa>P</nom-programa><about>A</about><empresa>E</empresa>"
              "<direccio>D</direccio><telefon>T</telefon><email>M</email><website>W</website></oem></config>");
    Rebuild();
    core->GetAboutText(about);
    EXPECT_EQ(about, "P version: 1.06\n\nA\n\nE\nD\nTeléfono: T\nemail: M\nWebsite: W");
}

TEST_F(CoreTest, TimersStopThemselvesWithoutConnection) {
    pumpTimer.Start(20);
    pollTimer.Start(20000);
    EXPECT_TRUE(core->PumpLink());
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_FALSE(pollTimer.running);
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    EXPECT_TRUE(core->GetLastError().empty());
}

TEST_F(CoreTest, PollWhileBusyChangesNothing) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    core->SetBusy(true);
    const int stops = pollTimer.stops;
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_TRUE(pollTimer.running);
    EXPECT_EQ(pollTimer.stops, stops);
    EXPECT_TRUE(core->IsBusy());
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(CoreTest, KeepAliveGoesToTheLoginDestinationAndRestartsThePoll) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    EXPECT_TRUE(core->OnPollTimer()) << core->GetLastError();
    const auto frames = sim.ReceivedFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0][1] & 0x7F, 0x15);  // destination
    EXPECT_EQ(frames[0][3], 0x01);         // keep-alive
    EXPECT_TRUE(pollTimer.running);
    EXPECT_EQ(pollTimer.interval, CAppCore::kPollInterval);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(core->GetPollFailures(), 0);
}

TEST_F(CoreTest, OnlyThreeFailedKeepAlivesInARowEndTheConnection) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });

    sim.Faults().ignoreRequests = 1000;
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_EQ(core->GetPollFailures(), 2);
    sim.Faults().ignoreRequests = 0;
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_EQ(core->GetPollFailures(), 0);

    sim.Faults().ignoreRequests = 1000;
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_TRUE(core->IsConnected());
    EXPECT_EQ(lost, 0);
    EXPECT_FALSE(core->OnPollTimer());
    EXPECT_EQ(core->GetLastError(), "Se perdió la conexión");
    EXPECT_FALSE(core->IsConnected());
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->GetConexio().IsOpen());
    EXPECT_FALSE(core->GetProtocol().IsConnected());
    EXPECT_FALSE(pollTimer.running);
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_EQ(lost, 1);
}

TEST_F(CoreTest, StatusPollsAlternateAndReloadThePanelsOnSuccess) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    CoreTestAccess::SetStatusPolling(*core, true);
    EXPECT_FALSE(CoreTestAccess::PollToggle(*core));
    // General status, then outputs and relays, then general status again.
    const bool toggles[] = {true, false, true};
    int successes = 0;
    for (bool toggle : toggles) {
        core->OnPollTimer();
        EXPECT_EQ(CoreTestAccess::PollToggle(*core), toggle);
        successes += core->IsConnected() && core->GetPollFailures() == 0;
        // A panel reload follows exactly the polls that succeeded.
        EXPECT_EQ(edit.Count("TransferToPanels"), successes);
    }
}

TEST_F(CoreTest, ALostLinkSeenByThePumpIsReportedAndClosed) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });
    Idle(100);
    EXPECT_TRUE(core->IsConnected());
    BreakLink();
    bool reported = true;
    for (int i = 0; i < 10 && reported; ++i) {
        clock.SleepMs(20);
        reported = core->PumpLink();
    }
    EXPECT_FALSE(reported);
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(core->IsConnected());
    EXPECT_FALSE(core->GetConexio().IsOpen());
    EXPECT_EQ(core->GetLastError(), "Se perdió la conexión");
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_FALSE(pollTimer.running);
}

TEST_F(CoreTest, ProgressStepAdvancesClampsAndReportsCancel) {
    // Without a dialog: events run, nothing is cancelled.
    const int yields = ui.yields;
    EXPECT_TRUE(core->ProgressStep(1, "x"));
    EXPECT_FALSE(core->CheckCancel());
    EXPECT_EQ(ui.yields, yields + 2);

    core->SetBusy(true);
    ASSERT_TRUE(core->BeginProgress("Recibiendo...", 3));
    ASSERT_EQ(ui.progress.size(), 1u);
    const auto& record = *ui.progress[0];
    EXPECT_EQ(record.title, "Recibiendo...");
    EXPECT_EQ(record.message, "Recibiendo...");
    EXPECT_EQ(record.maximum, 3);
    EXPECT_TRUE(core->ProgressStep(2, "a"));
    EXPECT_TRUE(core->ProgressStep(5, ""));  // past the maximum: the dialog stays at 3
    EXPECT_FALSE(core->CheckCancel());
    ASSERT_EQ(record.updates.size(), 3u);
    EXPECT_EQ(record.updates[0], (std::pair<int, std::string>{2, "a"}));
    EXPECT_EQ(record.updates[1], (std::pair<int, std::string>{3, ""}));
    EXPECT_EQ(record.updates[2], (std::pair<int, std::string>{3, ""}));
    EXPECT_EQ(core->ProgressCounter(), 7);
    core->EndProgress();
    EXPECT_FALSE(record.open);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(core->ProgressCounter(), 0);
    EXPECT_FALSE(core->HasProgress());

    ui.cancelAfterUpdates = 2;
    core->BeginProgress("Enviando...", 10);
    EXPECT_TRUE(core->ProgressStep(1, ""));
    EXPECT_FALSE(core->ProgressStep(1, ""));
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    core->SetLastError("");
    EXPECT_TRUE(core->CheckCancel());
    EXPECT_EQ(core->GetLastError(), "Cancelado por el usuario");
    core->EndProgress();
}

TEST_F(CoreTest, FlashMenuAndPpeAnswerForTheCurrentComponent) {
    ASSERT_TRUE(LoadSample());
    EXPECT_FALSE(core->HasGrupFlash());  // no current component
    CModel& central = core->GetInstalacio().GetCentral();
    core->SetCurrentComponent(&central);
    EXPECT_EQ(core->HasGrupFlash(), central.GetFlashGrupCount() > 0);

    core->SetCurrentComponent(nullptr);
    CEstat& estat = central.GetEstat();
    estat.SetHasPpe(false);
    EXPECT_FALSE(core->HasPpe());
    EXPECT_EQ(core->GetCurrentComponent(), &central);  // the central became current
    // A ppe code shorter than three bytes has no third byte: 0.
    estat.SetHasPpe(true);
    EXPECT_TRUE(core->HasPpe());
    CCodi& ppe = estat.GetPpeCodi();
    ASSERT_TRUE(ppe.SetType(CodiNibble6));
    ASSERT_TRUE(ppe.SetValue("123456"));
    const int third = core->GetPpeValue();
    EXPECT_EQ(third, ppe.ToBytes()[2]);
    // A two-byte code leaves a stale third byte behind in the raw bytes; it is not its value.
    ASSERT_TRUE(ppe.SetType(CodiNibble4));
    EXPECT_EQ(core->GetPpeValue(), 0);
}

TEST_F(CoreTest, DestroyingAConnectedCoreClosesTheLink) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    const int closes = pipe.LinkEnd().Closes();
    core.reset();
    EXPECT_GT(pipe.LinkEnd().Closes(), closes);
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_FALSE(pollTimer.running);
}

TEST_F(CoreTest, ALinkLostDuringAnOperationEndsTheConnectionWhenItEnds) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });
    core->SetBusy(true);
    core->BeginProgress("Recibiendo...", 2);
    BreakLink();
    CProtocol& proto = core->GetProtocol();
    proto.Receive(20);  // a wait of the operation reads the broken link
    ASSERT_TRUE(proto.LinkLost());
    // The pump ticks inside the operation's waits; it leaves the loss to the operation's end.
    EXPECT_TRUE(core->PumpLink());
    EXPECT_TRUE(core->IsConnected());
    EXPECT_EQ(lost, 0);
    core->SetLastError("Error al recibir");
    core->EndProgress();
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(core->IsConnected());
    EXPECT_FALSE(core->IsBusy());
    EXPECT_FALSE(core->GetConexio().IsOpen());
    EXPECT_FALSE(pollTimer.running);
    EXPECT_EQ(core->GetLastError(), "Error al recibir");
}
