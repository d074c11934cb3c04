// The event list after reading the panel's event memory.
#include <gtest/gtest.h>

#include "core/appcore.h"
#include "screens.h"

// The central: the three events the installation kept, then the new records of the sample day,
// with zone, area and user names; the burglary painted as an alarm.
TEST_F(ScreenTest, EventListAfterARead) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select({"Chalet Pérez", "Central VX16 (16 zonas)", "Eventos"}));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    Shot("events-after-read");
}

// The keypad's extended records: numbers only, account and receiver columns, the account filter.
TEST_F(ScreenTest, ExtendedEventListAfterARead) {
    ASSERT_TRUE(OpenSample());
    ASSERT_TRUE(ConnectTcp());
    ASSERT_TRUE(Select({"Chalet Pérez", "Teclado TK40 con lector de proximidad", "Eventos"}));
    ASSERT_TRUE(Run(ID_MENU_RECEIVE));
    Shot("events-extended-after-read");
}
