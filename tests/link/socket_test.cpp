// The socket classes on loopback. What the link makes of them is in conexio_test.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>

#include "link/socket.h"
#include "link_harness.h"

TEST(Sockets, ReadsInChunksAndAPeerThatClosesIsABrokenLink) {
    Listener server;
    SocketClient client("127.0.0.1", server.Port());
    int peer = server.Accept();
    ASSERT_GE(peer, 0);
    std::string out = "stale";
    EXPECT_EQ(ReceiveAvailable(client, out), 0);  // nothing waiting: 0 at once
    EXPECT_EQ(out, "");
    EXPECT_EQ(client.SendBytes(""), 0);
    EXPECT_EQ(client.SendBytes("\x16\x01\x90\x01"), 4);
    EXPECT_EQ(ReadAll(peer), "\x16\x01\x90\x01");

    // 3000 bytes waiting come in whole, read in chunks of 1024.
    std::string big(3000, 'a');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    SendAll(peer, big);
    EXPECT_EQ(ReceiveAvailable(client, out), 3000);
    EXPECT_EQ(out, big);

    SendAll(peer, "last");
    ::close(peer);
    EXPECT_EQ(ReceiveAvailable(client, out), 4);  // what came before the close first
    EXPECT_EQ(out, "last");
    EXPECT_EQ(ReceiveAvailable(client, out), -1);
    EXPECT_THROW(client.ReceiveBytes(), SocketError);

    // A reset reaches the writer as a failed write, not as a signal that ends the program.
    SocketClient second("127.0.0.1", server.Port());
    ResetAndClose(server.Accept());
    bool failed = false;
    for (int i = 0; i < 5 && !failed; ++i) failed = second.SendBytes("ping") < 0;
    EXPECT_TRUE(failed);
    EXPECT_LT(second.SendBytes("ping") + second.SendBytes("ping"), 0);  // EPIPE now: no SIGPIPE
}

TEST(Sockets, AConnectThatHangsTimesOutOnTheClock) {
    // A listener whose queue is full drops further connection requests, so the connect hangs.
    Listener server(0);
    SocketClient first("127.0.0.1", server.Port());
    VirtualClock clock;
    try {
        SocketClient client("127.0.0.1", server.Port(), clock, {}, 2000);
        FAIL() << "connected";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ETIMEDOUT));
        EXPECT_FALSE(e.Cancelled());
    }
    EXPECT_GE(clock.Elapsed(), 2000);
    EXPECT_LT(clock.Elapsed(), 2100);
    EXPECT_THROW(SocketClient("", 10001), SocketError);
}

TEST(Sockets, EachDescriptorIsClosedExactlyOnce) {
    Listener server;
    auto client = std::make_unique<SocketClient>("127.0.0.1", server.Port());
    int old = client->Handle();
    client->Close();
    // The number is free again and taken by something else; destroying the closed socket must
    // leave that alone.
    int reused = ::dup(0);
    ASSERT_GE(reused, 0);
    client.reset();
    EXPECT_NE(::fcntl(reused, F_GETFD), -1) << "descriptor " << old << " closed twice";
    ::close(reused);

    Socket a;
    int fd = a.Handle();
    Socket b(std::move(a));
    EXPECT_EQ(b.Handle(), fd);
    unsigned char byte = 0;
    EXPECT_EQ(a.Write(&byte, 1), -1);
    std::string out;
    EXPECT_EQ(ReceiveAvailable(a, out), -1);
}

TEST(Sockets, NoDescriptorLeftAndABadOneAreReportedByText) {
    int lowest = ::dup(0);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
#ifndef __SANITIZE_ADDRESS__  // the sanitizers' own checks need descriptors
    // Lower the descriptor limit to the lowest free number: no socket can be made.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::string text;
    try {
        Socket s;
    } catch (const SocketError& e) {
        text = e.what();
    }
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(text, "INVALID_SOCKET");
#endif
    // A descriptor number that is not open cannot be polled.
    Socket stale(lowest);
    std::string text2;
    try {
        SocketSelect(stale);
    } catch (const SocketError& e) {
        text2 = e.what();
    }
    EXPECT_EQ(text2, "Error in select");
    std::string out;
    EXPECT_EQ(ReceiveAvailable(stale, out), -1);
}
