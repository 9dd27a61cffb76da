#pragma once
// Says in one sentence what the drive reported for the last tape command
// that failed, and what to do about it: no cartridge (or the virtual drive's
// image not found), a blank tape, write protection, a busy drive and who
// holds it, a full cartridge, a medium error and the record it hit. Only a
// message that reports a failed tape command gets the sentence, and only
// while that command is the last one run: the jobs' own refusals and
// summaries already say what happened, and the end of data a job ran into
// on purpose is no failure. Each failure is explained once.

#include <functional>
#include <string>

#include "app/CartridgeFacts.h"
#include "scsi/TapeCommandLog.h"

class FailureWords {
public:
    // facts: what is known of the selected drive's cartridge, asked only
    // when a failure needs it; record: the file record being read (0: not
    // known); verbose: add the status and sense bytes.
    FailureWords(std::function<CartridgeFacts()> facts, std::function<int()> record, bool verbose);

    // The sentence for the failure recorded since the last call, for a
    // message with this text; empty when there is none.
    std::string Explain(const std::string& message);

    // The sentence for a failed tape command; message: the text shown for
    // it. Empty for a filemark, which the message itself accounts for.
    static std::string Sentence(const TapeCommandOutcome& failure, const std::string& message,
                                const CartridgeFacts& facts, int record);

private:
    std::function<CartridgeFacts()> facts_;
    std::function<int()> record_;
    bool verbose_;
    unsigned long explained_;
    CartridgeFacts knownFacts_;
    bool factsKnown_ = false;
};
