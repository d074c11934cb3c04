// The command-line options of the simulated panel's faults and answer forms.
#include <gtest/gtest.h>

#include <cctype>
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
      << " byte2 " << f.memoryByte2 << " noEcho " << f.blockAnswersNoEcho << " after " << f.faultsAfter;
    return o.str();
}

}  // namespace

TEST(PanelsimOptions, EachFaultAndAnswerFormHasAnOptionListedInTheHelp) {
    // One command line with every option, each value distinct so that an option setting the
    // wrong field shows; then the refused ones.
    struct Case {
        std::vector<std::string> args;
        std::string fields;  // empty: refused with `error`
        std::string error;
    } cases[] = {
        {{"--ignore-requests", "1", "--nak-requests", "2", "--bad-crc-acks", "3", "--bad-crc-answers", "4",
          "--missing-answers", "5", "--keep-answers", "0", "--late-answers", "6", "--late-ms", "1500",
          "--answer-before-ack", "7", "--answers-without-ack", "8", "--stale-repeats", "9", "--lose-acks", "10",
          "--foreign-frames", "11", "--foreign-address", "3a", "--noise", "00FF16", "--split-frames", "12",
          "--split-gap-ms", "300", "--drop-after-bytes", "13", "--memory-answers-f0", "--eeprom-answers-b1",
          "--memory-byte2", "0x10", "--block-answers-no-echo", "--faults-after", "14"},
         "ignore 1 nak 2 crcAck 3 crcAns 4 missing 5 keep 0 late 6/1500 before 7 noAck 8 stale 9 lostAcks 10 "
         "foreign 11@58 noise 00 FF 16 split 12/300 drop 13 f0 1 b1 1 byte2 16 noEcho 1 after 14",
         ""},
        {{"--nak-requests"}, "", "--nak-requests needs a value"},
        {{"--nak-requests", "-1"}, "", "bad --nak-requests -1"},
        {{"--faults-after", "3x"}, "", "bad --faults-after 3x"},
        {{"--late-ms", "12x"}, "", "bad --late-ms 12x"},
        {{"--foreign-address", "80"}, "", "bad --foreign-address 80"},
        {{"--noise", "0F1"}, "", "bad --noise 0F1"},
        {{"--memory-byte2", "256"}, "", "bad --memory-byte2 256"},
        {{"--late-answers", "1"}, "", "--late-answers needs --late-ms"},
        {{"--split-frames", "1", "--split-gap-ms", "0"}, "", "--split-frames needs --split-gap-ms"},
        {{"--verbose"}, "", "not a fault option"},
    };
    const std::string help = panelsim::FaultOptionsHelp();
    for (const Case& c : cases) {
        const std::string shown = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        panelsim::SimFaults faults;
        std::string error;
        bool taken = true;
        for (std::size_t i = 0; i < c.args.size() && taken && error.empty(); ++i) {
            const panelsim::FaultOption r = panelsim::TakeFaultOption(c.args, i, faults, error);
            if (r == panelsim::FaultOption::NotOne) error = "not a fault option";
            taken = r == panelsim::FaultOption::Taken;
        }
        if (taken) panelsim::CheckFaultOptions(faults, error);
        EXPECT_EQ(error, c.error) << shown;
        if (c.fields.empty()) continue;
        EXPECT_EQ(Fields(faults), c.fields);
        // Each option starts a line of the help, followed by its value's name or its text.
        for (const std::string& a : c.args) {
            if (a.rfind("--", 0) != 0) continue;
            const std::size_t at = help.find("\n  " + a);
            EXPECT_TRUE(at != std::string::npos && std::isspace(help[at + 3 + a.size()])) << a;
        }
    }
}
