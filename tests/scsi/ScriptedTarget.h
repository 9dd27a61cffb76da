#pragma once
// A host adapter for tests behind the real ASPI stand-in: every target is a
// small device model (type, inquiry text, mode parameters) that answers the
// commands the device layer sends; single answers can be scripted per opcode,
// and a completion can be held back until the n-th pause of the poll loop or
// handed to another thread. Every command is recorded as the adapter saw it.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "aspi/HostAdapter.h"
#include "aspi/ScsiExec.h"

struct Reply {
    enum class Kind { Good, CheckCondition, TargetStatus, Transport };
    Kind kind = Kind::Good;
    std::vector<std::uint8_t> sense;
    std::uint8_t targetStatus = 0;
    std::uint8_t aspiStatus = SS_ERR;
    // 0: finish inside Execute; n > 0: finish on the n-th pause after submission.
    int finishOnPause = 0;
    // > 0: finish from another thread after this many real milliseconds.
    int finishFromThreadAfterMs = 0;

    static Reply Good() { return {}; }
    static Reply Check(std::uint8_t key, std::uint8_t asc = 0, std::uint8_t ascq = 0) {
        Reply r;
        r.kind = Kind::CheckCondition;
        r.sense = std::vector<std::uint8_t>(18, 0);
        r.sense[0] = 0x70;
        r.sense[2] = key;
        r.sense[7] = 10;
        r.sense[12] = asc;
        r.sense[13] = ascq;
        return r;
    }
    static Reply Transport(std::uint8_t aspiStatus) {
        Reply r;
        r.kind = Kind::Transport;
        r.aspiStatus = aspiStatus;
        return r;
    }
    Reply Deferred(int pause) const {
        Reply r = *this;
        r.finishOnPause = pause;
        return r;
    }
};

struct RecordedCommand {
    int target = 0;
    std::vector<std::uint8_t> cdb;
    DataDirection direction = DataDirection::None;
    std::size_t dataLength = 0;
    std::vector<std::uint8_t> dataOut;
};

struct DeviceModel {
    int type = -1;  // -1: nothing answers at this target
    std::string vendorProduct = "VENDOR  PRODUCT NAME   ";
    int mediumType = 0x40;
    int blockCount = 0;
    int blockLength = 512;
    std::map<std::uint8_t, std::deque<Reply>> scripted;  // by opcode
};

class ScriptedTarget : public HostAdapter {
public:
    explicit ScriptedTarget(std::string identifier) : identifier_(std::move(identifier)) {}
    ~ScriptedTarget() override { JoinThreads(); }

    std::string Identifier() const override { return identifier_; }
    int DeviceType(int target) override { return Model(target).type; }

    void Execute(int target, ScsiExec& exec) override {
        DeviceModel& model = Model(target);
        RecordedCommand command;
        command.target = target;
        command.cdb.assign(exec.Cdb().begin(), exec.Cdb().end());
        command.direction = exec.Direction();
        command.dataLength = exec.Data().size();
        if (command.direction == DataDirection::Out) command.dataOut.assign(exec.Data().begin(), exec.Data().end());
        commands.push_back(command);

        const std::uint8_t opcode = command.cdb.empty() ? 0xFF : command.cdb[0];
        Reply reply;
        auto& queue = model.scripted[opcode];
        if (!queue.empty()) {
            reply = queue.front();
            queue.pop_front();
        }
        if (reply.kind == Reply::Kind::Good) Answer(model, command, exec);
        if (reply.finishOnPause > 0) {
            deferred.push_back({pauses + reply.finishOnPause, exec, reply});
        } else if (reply.finishFromThreadAfterMs > 0) {
            ScsiExec copy = exec;
            threads_.emplace_back([copy, reply]() mutable {
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.finishFromThreadAfterMs));
                Finish(copy, reply);
            });
        } else {
            Finish(exec, reply);
        }
    }

    // Called by the test's sleep function for every pause the device layer takes.
    void OnPause() {
        ++pauses;
        for (auto it = deferred.begin(); it != deferred.end();) {
            if (it->dueAtPause <= pauses) {
                // What the record held when the adapter finished with it.
                cdbAtDeferredFinish.assign(it->exec.Cdb().begin(), it->exec.Cdb().end());
                Finish(it->exec, it->reply);
                it = deferred.erase(it);
            } else {
                ++it;
            }
        }
    }

    void JoinThreads() {
        for (auto& t : threads_) t.join();
        threads_.clear();
    }

    DeviceModel& Model(int target) { return models[static_cast<std::size_t>(target & 7)]; }
    void Script(int target, std::uint8_t opcode, Reply reply) { Model(target).scripted[opcode].push_back(reply); }

    std::array<DeviceModel, 8> models;
    std::vector<RecordedCommand> commands;
    std::vector<std::uint8_t> cdbAtDeferredFinish;
    int pauses = 0;

private:
    struct Deferred {
        int dueAtPause;
        ScsiExec exec;
        Reply reply;
    };

    static void Put24(std::uint8_t* p, int n) {
        p[0] = static_cast<std::uint8_t>(n >> 16);
        p[1] = static_cast<std::uint8_t>(n >> 8);
        p[2] = static_cast<std::uint8_t>(n);
    }

    // A good answer's data, as a simple drive would give it.
    static void Answer(DeviceModel& model, const RecordedCommand& command, ScsiExec& exec) {
        auto data = exec.Data();
        switch (command.cdb[0]) {
        case 0x12: {  // INQUIRY
            std::uint8_t inquiry[96] = {};
            inquiry[0] = static_cast<std::uint8_t>(model.type);
            std::memcpy(inquiry + 8, model.vendorProduct.data(), std::min<std::size_t>(model.vendorProduct.size(), 88));
            std::memcpy(data.data(), inquiry, std::min(data.size(), sizeof inquiry));
            break;
        }
        case 0x1A: {  // MODE SENSE(6)
            std::uint8_t mode[12] = {11, static_cast<std::uint8_t>(model.mediumType), 0, 8};
            Put24(mode + 5, model.blockCount);
            Put24(mode + 9, model.blockLength);
            std::memcpy(data.data(), mode, std::min(data.size(), sizeof mode));
            break;
        }
        case 0x15:  // MODE SELECT(6)
            if (command.dataOut.size() >= 12)
                model.blockLength = (command.dataOut[9] << 16) | (command.dataOut[10] << 8) | command.dataOut[11];
            break;
        default:
            break;
        }
    }

    static void Finish(ScsiExec& exec, const Reply& reply) {
        switch (reply.kind) {
        case Reply::Kind::Good: exec.FinishGood(); break;
        case Reply::Kind::CheckCondition: exec.FinishCheckCondition(reply.sense); break;
        case Reply::Kind::TargetStatus: exec.FinishTargetStatus(reply.targetStatus); break;
        case Reply::Kind::Transport: exec.FinishTransportError(HASTAT_TIMEOUT, reply.aspiStatus); break;
        }
    }

    std::string identifier_;
    std::vector<Deferred> deferred;
    std::vector<std::thread> threads_;
};
