#pragma once
// The window's messages as the user reads them: a message that reports a
// failed tape command gets the plain explanation the command line gives
// (what happened, what to do), and a message about the tape's catalog
// names the tape and the folder its catalog belongs in; the format question
// says which tape it would erase. Passes everything on to the window's
// message dialog.

#include <functional>
#include <string>

#include "app/CartridgeFacts.h"
#include "report/MessageSink.h"

class ExplainedMessages : public MessageSink {
public:
    using FactsSource = std::function<CartridgeFacts()>;

    // inner: the dialog; must outlive this object.
    explicit ExplainedMessages(MessageSink& inner) : inner_(inner) {}

    // facts: what is known of the selected drive's cartridge, asked only when
    // a failure needs it; tapeName, folder: the current tape's name and the
    // catalog folder, read at each message. Both must outlive this object.
    void Attach(FactsSource facts, const std::string& tapeName, const std::string& folder);
    // What the tape in the drive is, for the format question.
    void AttachTapeDescription(std::function<std::string()> describe) { describe_ = std::move(describe); }

    int Show(const Message& message) override;

    // The text the dialog shows for message.
    std::string Text(const Message& message);

private:
    MessageSink& inner_;
    FactsSource facts_;
    const std::string* tapeName_ = nullptr;
    const std::string* folder_ = nullptr;
    std::function<std::string()> describe_;
    // One failure reported twice ("Tape read error", then "Restore error")
    // is explained with the first.
    unsigned long lastSerial_ = 0;
    bool anyExplained_ = false;
};
