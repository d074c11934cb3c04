// The command-line options of the simulated panel's faults and answer forms.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <sstream>

#include "panelsim.h"
#include "serve.h"

namespace {

std::string Fields(const panelsim::SimFaults& f) {
    std::ostringstream o;
    o << "ignore " << f.ignoreRequests << " nak " << f.nakRequests << " crcAck " << f.badCrcAcks << " crcAns "
      << f.badCrcAnswers << " missing " << f.missingAnswers << " keep " << f.keepAnswers << " late " << f.lateAnswers
      << "/" << f.lateAnswerMs << " before " << f.answerBeforeAck << " noAck " << f.answersWithoutAck << " stale "
      << f.staleDuplicates << " lostAcks " << f.lostAcks << " foreign " << f.foreignFrames << "@"
      << int{f.foreignAddress} << " noise " << panelsim::Hex(f.noise) << " split " << f.splitFrames << "/"
      << f.splitGapMs << " drop " << f.dropAfterBytes << " f0 " << f.memoryAnswersF0 << " b1 " << f.eepromAnswersB1
      << " byte2 " << f.memoryByte2 << " noEcho " << f.blockAnswersNoEcho;
    return o.str();
}

}  // namespace

TEST(PanelsimOptions, EachFaultAndAnswerFormHasAnOptionListedInTheHelp) {
    using F = panelsim::SimFaults;
    struct Case {
        std::vector<std::string> args;
        std::function<void(F&)> want;  // null: refused with `error`
        std::string error;
    } cases[] = {
        {{"--ignore-requests", "1"}, [](F& f) { f.ignoreRequests = 1; }, ""},
        {{"--nak-requests", "2"}, [](F& f) { f.nakRequests = 2; }, ""},
        {{"--bad-crc-acks", "1"}, [](F& f) { f.badCrcAcks = 1; }, ""},
        {{"--bad-crc-answers", "3"}, [](F& f) { f.badCrcAnswers = 3; }, ""},
        {{"--missing-answers", "1"}, [](F& f) { f.missingAnswers = 1; }, ""},
        {{"--keep-answers", "0"}, [](F& f) { f.keepAnswers = 0; }, ""},
        {{"--late-answers", "2", "--late-ms", "1500"}, [](F& f) { f.lateAnswers = 2, f.lateAnswerMs = 1500; }, ""},
        {{"--answer-before-ack", "1"}, [](F& f) { f.answerBeforeAck = 1; }, ""},
        {{"--answers-without-ack", "4"}, [](F& f) { f.answersWithoutAck = 4; }, ""},
        {{"--stale-repeats", "1"}, [](F& f) { f.staleDuplicates = 1; }, ""},
        {{"--lose-acks", "2"}, [](F& f) { f.lostAcks = 2; }, ""},
        {{"--foreign-frames", "2", "--foreign-address", "3a"},
         [](F& f) { f.foreignFrames = 2, f.foreignAddress = 0x3A; }, ""},
        {{"--noise", "00FF16"}, [](F& f) { f.noise = {0x00, 0xFF, 0x16}; }, ""},
        {{"--split-frames", "1", "--split-gap-ms", "300"}, [](F& f) { f.splitFrames = 1, f.splitGapMs = 300; }, ""},
        {{"--drop-after-bytes", "0"}, [](F& f) { f.dropAfterBytes = 0; }, ""},
        {{"--memory-answers-f0"}, [](F& f) { f.memoryAnswersF0 = true; }, ""},
        {{"--eeprom-answers-b1"}, [](F& f) { f.eepromAnswersB1 = true; }, ""},
        {{"--memory-byte2", "0x10"}, [](F& f) { f.memoryByte2 = 16; }, ""},
        {{"--block-answers-no-echo"}, [](F& f) { f.blockAnswersNoEcho = true; }, ""},
        {{"--nak-requests"}, nullptr, "--nak-requests needs a value"},
        {{"--nak-requests", "-1"}, nullptr, "bad --nak-requests -1"},
        {{"--late-ms", "12x"}, nullptr, "bad --late-ms 12x"},
        {{"--foreign-address", "80"}, nullptr, "bad --foreign-address 80"},
        {{"--noise", "0F1"}, nullptr, "bad --noise 0F1"},
        {{"--noise", "ZZ"}, nullptr, "bad --noise ZZ"},
        {{"--memory-byte2", "256"}, nullptr, "bad --memory-byte2 256"},
        {{"--late-answers", "1"}, nullptr, "--late-answers needs --late-ms"},
        {{"--split-frames", "1", "--split-gap-ms", "0"}, nullptr, "--split-frames needs --split-gap-ms"},
        {{"--verbose"}, nullptr, "not a fault option"},
    };
    const std::string help = panelsim::FaultOptionsHelp();
    for (const Case& c : cases) {
        const std::string shown = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        F faults;
        std::string error;
        bool taken = true;
        for (std::size_t i = 0; i < c.args.size() && taken && error.empty(); ++i) {
            const panelsim::FaultOption r = panelsim::TakeFaultOption(c.args, i, faults, error);
            if (r == panelsim::FaultOption::NotOne) error = "not a fault option";
            taken = r == panelsim::FaultOption::Taken;
        }
        if (taken) panelsim::CheckFaultOptions(faults, error);
        EXPECT_EQ(error, c.error) << shown;
        if (!c.want) continue;
        F want;
        c.want(want);
        EXPECT_EQ(Fields(faults), Fields(want)) << shown;
        // Each option starts a line of the help, followed by its value's name or its text.
        for (const std::string& a : c.args) {
            if (a.rfind("--", 0) != 0) continue;
            const std::size_t at = help.find("\n  " + a);
            EXPECT_TRUE(at != std::string::npos && std::isspace(help[at + 3 + a.size()])) << a;
        }
    }
}
