// One running instance per executable path; later starts hand their command line to the first.
// Until single-instance coordination is built the channel is never active.
#pragma once

#include "support/text.h"

class InstanceChannel {
public:
    // Decides whether this process is the first instance. False only on a failure that ends the launch.
    bool open(bool singleInstance, const Text& exePath);
    void close();

    bool isActive() const { return active_; }
    bool isFirstInstance() const { return firstInstance_; }

    // Second instance: hands the command line over and returns the first instance's reply.
    int waitForReply();

private:
    bool active_ = false;
    bool firstInstance_ = true;
};
