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
    const ExpectedAnswers& commands = options.commands;
    int reported = 0;  // own answers told to afterAnswer; a repeated read does not tell them again
    for (int repeats = 0;; ++repeats) {
        CollectEnd end = CollectEnd::Complete;
        int own = 0;
        int foreign = 0;
        {
            Guard collecting(collecting_);
            while (data.size() - start < wanted) {
                if (!WaitAnswer(commands.c[0], commands.c[1], commands.c[2])) {
                    end = CollectEnd::Stopped;
                    break;
                }
                if (!IsOwnAnswer(options)) {
                    if (++foreign >= kMaxForeignAnswers) {
                        ClearQueue();
                        EndUnanswered();
                        LogLine("Address doesn't match");
                        end = CollectEnd::Foreign;
                        break;
                    }
                    Sleep(kForeignAnswerPauseMs);
                    continue;
                }
                const std::span<const std::uint8_t> answer = answer_.Payload();
                // Every answer command taken here has a payload longer than its header (11 or 18 bytes).
                const std::size_t take = std::min(answer.size() - from, wanted - (data.size() - start));
                data.insert(data.end(), answer.begin() + static_cast<std::ptrdiff_t>(from),
                            answer.begin() + static_cast<std::ptrdiff_t>(from + take));
                ++own;
                const bool short_ = data.size() - start < wanted;
                if (options.oneAnswer) {
                    if (!short_) break;
                    // The rest of the answer is still coming: drained before the next send. After
                    // trouble the one answer taken cannot be told from a late one.
                    ExpectLateAnswers(0, false);
                    if (suspect_) {
                        error_ = "Timeout";
                        lastTimedOut_ = true;
                        end = CollectEnd::Stopped;
                    }
                    break;
                }
                if (short_ && options.afterAnswer && own > reported && !options.afterAnswer()) {
                    EndUnanswered();  // the rest of the read's answers are still coming
                    end = CollectEnd::Cancelled;
                    break;
                }
            }
        }
        reported = std::max(reported, own);
        if (!suspect_) return end;
        // After trouble: bytes of a read that did not end well may belong to a late answer.
        if (end != CollectEnd::Complete) {
            data.resize(start);
            return end;
        }
        QuietEnd quiet;
        {
            Guard busy(busy_);
            quiet = AwaitQuiet(commands);
        }
        if (quiet == QuietEnd::Quiet) return CollectEnd::Complete;
        data.resize(start);
        if (quiet == QuietEnd::Extra) LogLine(kExtraAnswerLine);
        if (quiet == QuietEnd::Stopped || repeats >= kMaxReadRepeats) {
            EndUnanswered();
            if (quiet == QuietEnd::Extra) {
                error_ = "Timeout";
                lastTimedOut_ = true;
            }
            return CollectEnd::Stopped;
        }
        // Whatever is still coming is drained until the line is quiet, then the read goes again.
        ExpectLateAnswers(0, true);
        if (!RepeatRequest()) return CollectEnd::Stopped;
    }
}
