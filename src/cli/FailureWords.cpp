#include "cli/FailureWords.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "app/FailureExplanation.h"

FailureWords::FailureWords(std::function<CartridgeFacts()> facts, bool verbose)
    : facts_(std::move(facts)), verbose_(verbose) {}

const CartridgeFacts& FailureWords::Facts(const CommandFailure& failure) {
    if (FailureExplanation::NeedsFacts(failure) && !factsKnown_ && facts_) {
        knownFacts_ = facts_();
        factsKnown_ = true;
    }
    return knownFacts_;
}

std::string FailureWords::WithCodes(std::string text, const CommandFailure& failure) const {
    if (text.empty() || !verbose_) return text;
    char codes[96];
    std::snprintf(codes, sizeof codes, " [command %02X: status %u, host %u, target %u, sense %02X/%02X/%02X]",
                  failure.opcode, failure.status, failure.hostStatus, failure.targetStatus, failure.sense[2] & 0x0F,
                  failure.sense[12], failure.sense[13]);
    return text + codes;
}

std::string FailureWords::Explain(const Message& message) {
    const CommandFailure& failure = message.failure;
    if (!failure.present || !FailureExplanation::Explains(message.id)) return {};
    // One failure may be reported twice ("Tape read error", then "Restore
    // error"): it is explained with the first. (Each device numbers its own
    // failures; two devices' failures with the same number also differ in
    // what the drive said, but for a repeat of the same answer.)
    const bool same = anyExplained_ && failure.serial == explained_.serial && failure.opcode == explained_.opcode &&
                      failure.status == explained_.status &&
                      std::equal(std::begin(failure.sense), std::end(failure.sense), std::begin(explained_.sense));
    if (same) return {};
    anyExplained_ = true;
    explained_ = failure;
    return WithCodes(FailureExplanation::Sentence(message, Facts(failure)), failure);
}

std::string FailureWords::Explain(const CommandFailure& failure) {
    if (!failure.present) return {};
    return WithCodes(FailureExplanation::Sentence(failure, Facts(failure)), failure);
}
