// One running instance per executable path; later starts hand their command line to the first,
// which passes it to the main class's static "secondaryMain" and answers with an exit code.
//
//   if (!channel.open(settings.instance, arguments)) return false;   // initialize, after the settings
//   if (channel.isActive() && !channel.isFirstInstance() && channel.waitForReply(code)) return code;   // run
//   // else: the running instance ended without the command line; close, open again, run as the first
//   channel.signalReady(vm, serveSecondaryRequest);                  // Java thread, just before main
#pragma once

#include <windows.h>

#include <jni.h>

#include <memory>

#include "instance/instance_namespace.h"
#include "instance/instance_settings.h"
#include "support/text.h"
#include "support/unique_handle.h"

// Where a later start's exit code goes: posted back to that start.
using LaterStartReply = void (*)(void* context, jint code);

// Serves one later start on a thread attached to the machine: calls the main class's "secondaryMain"
// (`mainClass` in slash form, in the code page FindClass takes) with `arguments` and replies once
// with its exit code, or not at all when it could not be called. False when it was not called or
// threw. The launcher passes the Java side's serveSecondaryRequest (jvm/java_invocation.h).
using LaterStartServer = bool (*)(JNIEnv* env, const char* mainClass, const TextList& arguments,
                                  LaterStartReply reply, void* context);

class InstanceChannel {
public:
    InstanceChannel();
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Active only with `settings.singleInstance`. The first start of the executable then listens
    // for requests; a later one hands `arguments` over, but only to a process that runs this same
    // executable; a channel that names any other is taken over. False only when the launch must
    // end with -1: a later start that cannot hand over (which has said so in message 234).
    bool open(const InstanceSettings& settings, const TextList& arguments);

    // Stops listening and releases the shared objects; requests being served go on.
    void close();

    bool isActive() const { return active_; }
    bool isFirstInstance() const { return firstInstance_; }

    // Later start: true with `code` the first instance's reply, or its exit code when it ends
    // without replying (-1 when that code cannot be read, or when it said it is ending and did not
    // end within a bound, which is said in message 234). False when the command line never reached
    // the application (the instance was ending, or ended before it took the command line): once that
    // instance has ended, this start is to run the application itself with its own command line.
    bool waitForReply(int& code);

    // First instance: the machine has ended; later starts are told to run their command lines themselves.
    void applicationEnded();

    // First instance: main is about to run in `vm`; requests waiting for it go ahead and are
    // served by `serve`.
    void signalReady(JavaVM* vm, LaterStartServer serve);

    // What the listener and the request workers share; it outlives the channel while they run.
    struct Shared;

private:
    bool openFirst(const InstanceSettings& settings, const Text& key);
    bool handOver(const InstanceSettings& settings, const TextList& arguments, const Text& key);
    // Says so in the trace and to the user; false, so that the start ends with -1.
    bool cannotHandOver(DWORD owner, const Text& why) const;
    // Takes the queue's messages up to the reply, if there is one; `ending` when it says the
    // application is ending.
    bool takeReply(int& code, bool& ending) const;
    // Whether the first instance handed this start's request to the Java side.
    bool requestDelivered() const;

    bool active_ = false;
    bool firstInstance_ = true;
    InstanceNamespace names_;
    bool namesOpen_ = false;
    UniqueHandle mapping_;
    UniqueView view_;
    UniqueHandle listener_;
    DWORD listenerId_ = 0;
    std::shared_ptr<Shared> shared_;
    // A later start: its request (kept until the end, so a slow reader still finds it), the first
    // instance's process, and the message the reply comes as.
    UniqueHandle request_;
    UniqueHandle firstProcess_;
    UINT replyMessage_ = 0;
};
