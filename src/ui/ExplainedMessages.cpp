#include "ui/ExplainedMessages.h"

#include <utility>

#include "app/FailureExplanation.h"

namespace {

bool AboutCatalog(MessageId id) {
    return id == MessageId::CatalogMissing || id == MessageId::CatalogDiffers || id == MessageId::CatalogDamaged ||
           id == MessageId::UnlistedRecords;
}

}  // namespace

void ExplainedMessages::Attach(FactsSource facts, const std::string& tapeName, const std::string& folder) {
    facts_ = std::move(facts);
    tapeName_ = &tapeName;
    folder_ = &folder;
}

std::string ExplainedMessages::Text(const Message& message) {
    std::string text = message.text;
    const CommandFailure& failure = message.failure;
    if (failure.present && FailureExplanation::Explains(message.id) &&
        !(anyExplained_ && failure.serial == lastSerial_)) {
        const CartridgeFacts facts = FailureExplanation::NeedsFacts(failure) && facts_ ? facts_() : CartridgeFacts{};
        const std::string sentence = FailureExplanation::Sentence(message, facts, FailureExplanation::Face::Window);
        if (!sentence.empty()) {
            text += "\n\n" + sentence;
            anyExplained_ = true;
            lastSerial_ = failure.serial;
        }
    }
    if (message.id == MessageId::FormatQuestion && describe_) {
        if (const std::string tape = describe_(); !tape.empty()) text += "\n\n" + tape;
    }
    if (AboutCatalog(message.id) && tapeName_ != nullptr && !tapeName_->empty())
        text += "\n\nTape: " + *tapeName_ + "\nCatalog: " + *folder_ + "/" + *tapeName_ + ".twd";
    return text;
}

int ExplainedMessages::Show(const Message& message) {
    Message shown = message;
    shown.text = Text(message);
    return inner_.Show(shown);
}
