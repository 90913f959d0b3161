// Where the kernel objects of the single-instance channels live, and who may open them.
//
//   InstanceNamespace names;
//   if (!names.open()) return true;                      // no channel: the start runs on its own
//   CreateMutexW(names.attributes(), FALSE, names.objectName(startMutexName(key)).c_str());
//
// The objects are created in a private namespace whose boundary holds the user's SID and the
// process's integrity level: another user, or a process of lower integrity (a sandbox), can neither
// create a channel's objects before the launcher nor open them. Each object also grants access to
// the user alone and carries the process's integrity level, reads and writes from below refused.
// Where the system has no private namespaces (they came with Windows Vista; Wine lacks them), the
// objects keep their names in the session's namespace with that same security.
#pragma once

#include <windows.h>

#include <vector>

#include "support/text.h"

struct NamespaceCalls;

class InstanceNamespace {
public:
    InstanceNamespace() = default;
    ~InstanceNamespace();
    InstanceNamespace(const InstanceNamespace&) = delete;
    InstanceNamespace& operator=(const InstanceNamespace&) = delete;

    // Makes the security descriptor and creates or opens the namespace. False when the channel
    // cannot be had safely: the user's SID is unknown, or the namespace exists but refuses this
    // process (a process of the same user holds it against others).
    bool open();

    bool isPrivate() const { return namespace_ != nullptr; }
    // `name` as the system must be given it.
    Text objectName(const Text& name) const;
    // For every object the channel creates: the user alone, at this process's integrity level.
    SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

private:
    enum class Private { Opened, Unsupported, Refused };
    bool makeSecurity();
    Private openPrivate();
    Private openPrivateWithin(const NamespaceCalls& calls, HANDLE& boundary);

    std::vector<BYTE> user_;       // TOKEN_USER
    std::vector<BYTE> integrity_;  // TOKEN_MANDATORY_LABEL, empty when the system has no levels
    std::vector<BYTE> dacl_;
    std::vector<BYTE> sacl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    HANDLE namespace_ = nullptr;
    BOOLEAN(WINAPI* closeNamespace_)(HANDLE, ULONG) = nullptr;
};
