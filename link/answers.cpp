// The collection of a multi-frame read's answers (CProtocol::CollectAnswers): which answers are
// the read's own, where their data begins, and how the collection ends.
#include <algorithm>

#include "link/protocol.h"

bool CProtocol::IsOwnAnswer(std::size_t taken) const {
    if (answer_.Empty() || answer_.IsAckFrame()) return false;
    const std::span<const std::uint8_t> request = send_.Payload();
    const std::span<const std::uint8_t> answer = answer_.Payload();
    if (send_.Command() == kCmdMemoryRead && request.size() >= 5) {
        const std::uint8_t own = (request[0] & 0x80) ? kCmdWriteRam : kCmdWriteEeprom;
        const auto offset = static_cast<std::uint8_t>(request[4] + taken);
        return answer_.Command() == own && answer.size() > 3 && (answer[0] & 0x1F) == (request[0] & 0x1F) &&
               answer[1] == request[1] && answer[2] == offset;
    }
    if (send_.Command() == kCmdBlockRead && request.size() >= 2) {
        const unsigned block = (request[0] | request[1] << 8) + static_cast<unsigned>(taken / 16);
        return answer_.Command() == kCmdFlashData && answer.size() > 2 && answer[0] == (block & 0xFF) &&
               answer[1] == ((block >> 8) & 0xFF);
    }
    return false;
}

CollectEnd CProtocol::CollectAnswers(std::vector<unsigned char>& data, std::size_t wanted,
                                                const CollectOptions& options) {
    const std::size_t from = send_.Command() == kCmdBlockRead ? 2 : 3;
    const std::size_t start = data.size();
    int foreign = 0;
    while (data.size() - start < wanted) {
        if (!WaitAnswer(kCmdWriteEeprom, kCmdWriteRam, kCmdFlashData)) return CollectEnd::Stopped;
        if (!IsOwnAnswer(data.size() - start)) {
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
