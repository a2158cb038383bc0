// Sends UDP datagrams to one address as fast as one core sends them, in batches of one system call, and
// says how fast that was: the sender of the live-capture benchmark.
//
//   udp_flood ADDRESS PORT COUNT PAYLOAD_BYTES
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: udp_flood ADDRESS PORT COUNT PAYLOAD_BYTES\n");
        return 2;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[2])));
    if (inet_pton(AF_INET, argv[1], &to.sin_addr) != 1) {
        std::fprintf(stderr, "udp_flood: not an IPv4 address: %s\n", argv[1]);
        return 2;
    }
    const long count = std::atol(argv[3]);
    std::vector<char> payload(static_cast<std::size_t>(std::atoi(argv[4])), 'x');
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    if (sender < 0 || connect(sender, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        std::perror("udp_flood");
        return 1;
    }
    constexpr int kBatch = 64;
    iovec piece{payload.data(), payload.size()};
    std::vector<mmsghdr> batch(kBatch);
    for (mmsghdr& message : batch) {
        message.msg_hdr.msg_iov = &piece;
        message.msg_hdr.msg_iovlen = 1;
    }
    const auto start = std::chrono::steady_clock::now();
    long sent = 0;
    while (sent < count) {
        const int wanted = static_cast<int>(count - sent < kBatch ? count - sent : kBatch);
        const int done = sendmmsg(sender, batch.data(), static_cast<unsigned>(wanted), 0);
        if (done < 0) {
            std::perror("udp_flood: sendmmsg");
            return 1;
        }
        sent += done;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld %.0f\n", sent, seconds > 0 ? static_cast<double>(sent) / seconds : 0.0);
    close(sender);
    return 0;
}
