#include "core_harness.h"
#include "datamodel/codi.h"
#include "datamodel/estat.h"
#include "datamodel/model.h"

TEST_F(CoreTest, UnreadableSettingsShowOneBoxAndTheCoreStillWorks) {
    for (const char* text : {"", "<config><oem><about>x</about></oem><ini>"}) {
        if (*text) {
            dir.Write("config.xml", text);
        } else {
            std::filesystem::remove(dir / "config.xml");
        }
        ui.messages.clear();
        Rebuild();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].second, "Error");
        EXPECT_FALSE(ui.messages[0].first.empty());
    }
    // Later operations run on empty settings.
    EXPECT_TRUE(core->GetConfig().GetUltim(0).empty());
    EXPECT_TRUE(core->SaveConfig()) << core->GetLastError();
    ASSERT_TRUE(ConnectForTest());
    EXPECT_TRUE(core->OnPollTimer());
}

TEST_F(CoreTest, AboutTextHoldsEveryLabel) {
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

TEST_F(CoreTest, TimersDoNothingWithoutConnectionOrWhileBusy) {
    // Not connected: each handler stops its own timer.
    pumpTimer.Start(20);
    pollTimer.Start(20000);
    EXPECT_TRUE(core->PumpLink());
    EXPECT_FALSE(pumpTimer.running);
    EXPECT_TRUE(core->OnPollTimer());
    EXPECT_FALSE(pollTimer.running);
    EXPECT_TRUE(core->GetLastError().empty());
    // Busy: the poll changes nothing and leaves its timer running.
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

TEST_F(CoreTest, KeepAlivesAndOnlyThreeFailuresInARowEndTheConnection) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });
    EXPECT_TRUE(core->OnPollTimer()) << core->GetLastError();
    const auto frames = sim.ReceivedFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0][1] & 0x7F, 0x15);  // the login destination
    EXPECT_EQ(frames[0][3], 0x01);         // keep-alive
    EXPECT_TRUE(pollTimer.running);
    EXPECT_EQ(pollTimer.interval, CAppCore::kPollInterval);
    EXPECT_FALSE(core->IsBusy());

    // Two failures, one good poll: the count starts again.
    const bool answers[] = {false, false, true, false, false};
    for (bool answer : answers) {
        sim.Faults().ignoreRequests = answer ? 0 : 1000;
        EXPECT_TRUE(core->OnPollTimer());
    }
    EXPECT_EQ(core->GetPollFailures(), 2);
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
    int changed = 0;
    core->SetStatusChangedHandler([&] { ++changed; });
    // General status, then outputs and relays, then general status again; the window hears of
    // the reads that changed the status only (outputs and relays are two reads).
    int successes = 0;
    for (auto [toggle, changes] : {std::pair{true, 1}, {false, 3}, {true, 3}, {false, 3}}) {
        core->OnPollTimer();
        EXPECT_EQ(CoreTestAccess::PollToggle(*core), toggle);
        EXPECT_EQ(changed, changes);
        successes += core->IsConnected() && core->GetPollFailures() == 0;
        // A panel reload that keeps the installer's picks follows exactly the polls that succeeded.
        EXPECT_EQ(edit.Count("RefreshPanels"), successes);
        EXPECT_EQ(edit.Count("TransferToPanels"), 0);
    }
    EXPECT_EQ(successes, 4);
    // A panel's command reads the status too.
    ASSERT_TRUE(core->SendAreaCommand(0x01, false)) << core->GetLastError();
    EXPECT_GT(changed, 3);

    // One failed poll on a broken link ends the connection.
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });
    BreakLink();
    EXPECT_FALSE(core->OnPollTimer());
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(core->GetLastError(), "Se perdió la conexión");
}

TEST_F(CoreTest, UiServicesAndTimersReachTheFrameLayerWhateverTheWiringOrder) {
    core = std::make_unique<CAppCore>(nullptr, dir.Path());
    core->SetClock(&clock);
    core->CreateImageList();
    core->SetUiServices(&ui);
    core->SetTimers(&pollTimer, &pumpTimer);
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    pumpTimer.Stop();
    ASSERT_TRUE(core->GetProtocol().Connect());
    EXPECT_TRUE(pumpTimer.running);
    const int yields = ui.yields;
    sim.Faults().ignoreRequests = 1;
    EXPECT_TRUE(core->GetProtocol().BuildPing("01"));
    EXPECT_GT(ui.yields, yields);  // the frame layer's wait let the window run
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

TEST_F(CoreTest, ALinkLostDuringAnOperationEndsTheConnectionWhenItEnds) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    int lost = 0;
    core->SetConnectionLostHandler([&] { ++lost; });
    core->SetBusy(true);
    core->BeginProgress("Recibiendo...", 2);
    BreakLink();
    core->GetProtocol().Receive(20);  // a wait of the operation reads the broken link
    ASSERT_TRUE(core->GetProtocol().LinkLost());
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

TEST_F(CoreTest, ProgressStepAdvancesClampsAndReportsCancel) {
    // Without a dialog: events run, nothing is cancelled.
    const int yields = ui.yields;
    EXPECT_TRUE(core->ProgressStep(1, "x"));
    EXPECT_FALSE(core->CheckCancel());
    EXPECT_EQ(ui.yields, yields + 2);

    core->SetBusy(true);
    core->BeginProgress("Recibiendo...", 3);
    ASSERT_EQ(ui.progress.size(), 1u);
    const auto& record = *ui.progress[0];
    EXPECT_EQ(record.title, "Recibiendo...");
    EXPECT_EQ(record.message, "Recibiendo...");
    EXPECT_EQ(record.maximum, 3);
    EXPECT_TRUE(core->ProgressStep(2, "a"));
    EXPECT_TRUE(core->ProgressStep(5, ""));  // past the maximum: the bar stays one short of full
    EXPECT_FALSE(core->CheckCancel());
    EXPECT_EQ(core->GetOperationProgress().Value(), 7);
    core->EndProgress();  // the operation ended: the bar is full as the dialog closes
    using Update = std::pair<int, std::string>;
    EXPECT_EQ(record.updates, (std::vector<Update>{{2, "a"}, {2, ""}, {2, ""}, {3, ""}}));
    EXPECT_FALSE(record.open);
    EXPECT_FALSE(core->IsBusy());
    EXPECT_EQ(core->GetOperationProgress().Value(), 0);

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
    CEstat& estat = central.GetEstat();
    estat.SetHasPpe(false);
    EXPECT_FALSE(core->HasPpe());
    EXPECT_EQ(core->GetCurrentComponent(), &central);  // the central became current
    EXPECT_EQ(core->HasGrupFlash(), central.GetFlashGrupCount() > 0);

    estat.SetHasPpe(true);
    EXPECT_TRUE(core->HasPpe());
    CCodi& ppe = estat.GetPpeCodi();
    ASSERT_TRUE(ppe.SetType(CodiNibble6));
    ASSERT_TRUE(ppe.SetValue("123456"));
    EXPECT_EQ(core->GetPpeValue(), ppe.ToBytes()[2]);
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
