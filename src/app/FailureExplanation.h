#pragma once
// The plain explanation of a failure, made once for both faces: what the
// drive reported for the tape command behind a message, and what to do
// about it (no cartridge or the virtual drive's image not found, a blank
// tape, write protection, a busy drive and who holds it, a drive that
// cannot be reached, a full cartridge, a medium error and the record it
// hit). Decided by the message's id and the command's outcome it carries,
// never by its text. Only the messages that report a failed tape command
// are explained: the jobs' refusals and summaries say what happened
// themselves, and the end of data a job ran into on purpose is no failure.

#include <string>

#include "app/CartridgeFacts.h"
#include "report/Message.h"

namespace FailureExplanation {

// Who reads the sentence: what to do is said in that face's own controls
// (a command to run, or the window's tab and button).
enum class Face { CommandLine, Window };

// Whether a message with this id reports a failed tape command.
bool Explains(MessageId id);
// Whether explaining this failure needs what is known of the cartridge
// (asked at most once: a busy image's holders take a look at every
// process's open files).
bool NeedsFacts(const CommandFailure& failure);
// The sentence for message's failure; empty when there is nothing to say
// (no failure carried, or a filemark, which the message accounts for).
std::string Sentence(const Message& message, const CartridgeFacts& facts, Face face = Face::CommandLine);
// The same for a failed command without a message of its own (the status
// query).
std::string Sentence(const CommandFailure& failure, const CartridgeFacts& facts, Face face = Face::CommandLine);

}  // namespace FailureExplanation
