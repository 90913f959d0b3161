#include "instance/instance_channel.h"

bool InstanceChannel::open(bool, const Text&) {
    active_ = false;
    firstInstance_ = true;
    return true;
}

void InstanceChannel::close() { active_ = false; }

int InstanceChannel::waitForReply() { return 0; }
