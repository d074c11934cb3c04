#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "link/socket.h"
#include "socket_peer.h"
#include "support/virtual_clock.h"

TEST(Sockets, ConnectSendAndReceiveOnLoopback) {
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

    // A large answer arrives whole, read in chunks.
    std::string big(3000, 'a');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    SendAll(peer, big);
    EXPECT_EQ(ReceiveAvailable(client, out), 3000);
    EXPECT_EQ(out, big);
    // At most the maximum is taken; the rest waits for the next read.
    SendAll(peer, std::string(200, 'x'));
    EXPECT_EQ(ReceiveAvailable(client, out, 128), 128);
    EXPECT_EQ(client.ReceiveBytes(), std::string(72, 'x'));
    ::close(peer);
}

TEST(Sockets, APeerThatClosesIsABrokenLinkAndWritesNeverRaiseSigpipe) {
    Listener server;
    SocketClient client("127.0.0.1", server.Port());
    int peer = server.Accept();
    SendAll(peer, "last");
    ::close(peer);
    std::string out;
    EXPECT_EQ(ReceiveAvailable(client, out), 4);  // what came before the close first
    EXPECT_EQ(out, "last");
    EXPECT_EQ(ReceiveAvailable(client, out), -1);
    EXPECT_THROW(client.ReceiveBytes(), SocketError);

    SocketClient second("127.0.0.1", server.Port());
    peer = server.Accept();
    ResetAndClose(peer);
    // The reset reaches the writer as a failed write, not as a signal that ends the program.
    bool failed = false;
    for (int i = 0; i < 5 && !failed; ++i) failed = second.SendBytes("ping") < 0;
    EXPECT_TRUE(failed);
    unsigned char buffer[4];
    EXPECT_LT(second.Read(buffer, 4), 0);
}

TEST(Sockets, RefusedAndUnresolvableHostsThrowTheirTexts) {
    int port = 0;
    int holder = BoundButNotListening(port);  // nobody listens: refused
    try {
        SocketClient client("127.0.0.1", port);
        FAIL() << "connected";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ECONNREFUSED));
        EXPECT_FALSE(e.Cancelled());
    }
    ::close(holder);
    // Names under the reserved "invalid" domain fail without asking a name server.
    try {
        SocketClient client("panel.example.invalid", 10001);
        FAIL() << "resolved";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), ::gai_strerror(EAI_NONAME));
    }
    EXPECT_THROW(SocketClient("", 10001), SocketError);
    // A port outside 1..65535 is refused, never wrapped onto another port.
    for (int bad : {-1, 65536 + 10001}) {
        try {
            SocketClient client("127.0.0.1", bad);
            FAIL() << bad;
        } catch (const SocketError& e) {
            EXPECT_STREQ(e.what(), std::strerror(EINVAL));
        }
    }
}

TEST(Sockets, AConnectThatHangsTimesOutOrIsCancelled) {
    // A listener whose queue is full drops further connection requests, so the connect hangs.
    Listener server(0);
    SocketClient first("127.0.0.1", server.Port());
    VirtualClock clock;
    try {
        SocketClient client("127.0.0.1", server.Port(), clock, {}, 2000);
        FAIL() << "connected";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ETIMEDOUT));
    }
    EXPECT_GE(clock.Elapsed(), 2000);
    EXPECT_LT(clock.Elapsed(), 2100);

    int asked = 0;
    try {
        SocketClient client("127.0.0.1", server.Port(), clock, [&] { return ++asked == 3; });
        FAIL() << "connected";
    } catch (const SocketError& e) {
        EXPECT_TRUE(e.Cancelled());
    }
    EXPECT_EQ(asked, 3);
}

TEST(Sockets, EachDescriptorIsClosedExactlyOnce) {
    Listener server;
    auto client = std::make_unique<SocketClient>("127.0.0.1", server.Port());
    int old = client->Handle();
    client->Close();
    EXPECT_FALSE(client->IsOpen());
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
    EXPECT_FALSE(a.IsOpen());
    EXPECT_EQ(b.Handle(), fd);
    unsigned char byte = 0;
    EXPECT_EQ(a.Write(&byte, 1), -1);
    EXPECT_EQ(a.Read(&byte, 1), -1);
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
    EXPECT_THROW(
        try { SocketSelect(stale); } catch (const SocketError& e) {
            EXPECT_STREQ(e.what(), "Error in select");
            throw;
        },
        SocketError);
    std::string out;
    EXPECT_EQ(ReceiveAvailable(stale, out), -1);
}
