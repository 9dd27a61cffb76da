#pragma once
// The command line's use of the plain explanations (FailureExplanation): a
// line after the message that reports a failed tape command, each failure
// explained once, what is known of the cartridge asked at most once per
// run, and with --verbose the status and sense bytes.

#include <functional>
#include <string>

#include "app/CartridgeFacts.h"
#include "report/Message.h"

class FailureWords {
public:
    // facts: what is known of the selected drive's cartridge, asked only
    // when a failure needs it; verbose: add the status and sense bytes.
    FailureWords(std::function<CartridgeFacts()> facts, bool verbose);

    // The sentence for message's failure; empty when there is none or it
    // was explained already.
    std::string Explain(const Message& message);
    // The same for a failed command without a message of its own.
    std::string Explain(const CommandFailure& failure);

private:
    const CartridgeFacts& Facts(const CommandFailure& failure);
    std::string WithCodes(std::string text, const CommandFailure& failure) const;

    std::function<CartridgeFacts()> facts_;
    bool verbose_;
    CommandFailure explained_;
    bool anyExplained_ = false;
    CartridgeFacts knownFacts_;
    bool factsKnown_ = false;
};
