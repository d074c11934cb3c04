// The collection of a multi-frame read's answers (CProtocol::CollectAnswers): which answers are
// the read's own, where their data begins, and how the collection ends.
#include <algorithm>

#include "link/protocol.h"

bool CProtocol::IsOwnAnswer(const CollectOptions& options) const {
    if (answer_.Empty() || answer_.IsAckFrame()) return false;
    if (!options.checkAddress) return true;
    // A single code: bytes 0 and 1 echo the code number (byte 0 under the memory flags).
    const std::span<const std::uint8_t> request = send_.Payload();
    const std::span<const std::uint8_t> answer = answer_.Payload();
    return request.size() >= 2 && answer.size() >= 2 && (answer[0] & 0x1F) == (request[0] & 0x1F) &&
           answer[1] == request[1];
}

CollectEnd CProtocol::CollectAnswers(std::vector<unsigned char>& data, std::size_t wanted,
                                                const CollectOptions& options) {
    const std::size_t from = send_.Command() == kCmdBlockRead ? 2 : 3;
    const std::size_t start = data.size();
    int foreign = 0;
    while (data.size() - start < wanted) {
        const ExpectedAnswers& commands = options.commands;
        if (!WaitAnswer(commands.c[0], commands.c[1], commands.c[2])) return CollectEnd::Stopped;
        if (!IsOwnAnswer(options)) {
            if (++foreign >= kMaxForeignAnswers) {
                ClearQueue();
                EndUnanswered();
                LogLine("Address doesn't match");
                return CollectEnd::Foreign;
            }
            Sleep(kForeignAnswerPauseMs);
            continue;
        }
        const std::span<const std::uint8_t> answer = answer_.Payload();
        // Every answer command taken here has a payload longer than its header (11 or 18 bytes).
        const std::size_t take = std::min(answer.size() - from, wanted - (data.size() - start));
        data.insert(data.end(), answer.begin() + static_cast<std::ptrdiff_t>(from),
                    answer.begin() + static_cast<std::ptrdiff_t>(from + take));
        if (options.oneAnswer) return CollectEnd::Complete;
        if (data.size() - start < wanted && options.afterAnswer && !options.afterAnswer()) {
            EndUnanswered();  // the rest of the read's answers are still coming
            return CollectEnd::Cancelled;
        }
    }
    return CollectEnd::Complete;
}
