#include "instance/instance_namespace.h"

#include "instance/instance_block.h"
#include "support/procedure.h"
#include "support/unique_handle.h"

// Taken from kernel32 when present, so that the launcher still starts on a system without them
// (importing them would keep it from loading there), and loads no library of its own for them.
struct NamespaceCalls {
    decltype(&CreateBoundaryDescriptorW) createBoundary = nullptr;
    decltype(&AddSIDToBoundaryDescriptor) addSid = nullptr;
    decltype(&AddIntegrityLabelToBoundaryDescriptor) addIntegrityLabel = nullptr;
    decltype(&DeleteBoundaryDescriptor) deleteBoundary = nullptr;
    decltype(&CreatePrivateNamespaceW) createNamespace = nullptr;
    decltype(&OpenPrivateNamespaceW) openNamespace = nullptr;
    decltype(&ClosePrivateNamespace) closeNamespace = nullptr;

    bool complete() const {
        return createBoundary && addSid && addIntegrityLabel && deleteBoundary && createNamespace && openNamespace &&
               closeNamespace;
    }
};

namespace {

// Looked up for each channel (once a start): a function-local static would bring in the runtime's
// guarded initialisation and, with it, a good part of the executable's size.
NamespaceCalls namespaceCalls() {
    NamespaceCalls found;
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return found;
    findProcedure(kernel, "CreateBoundaryDescriptorW", found.createBoundary);
    findProcedure(kernel, "AddSIDToBoundaryDescriptor", found.addSid);
    findProcedure(kernel, "AddIntegrityLabelToBoundaryDescriptor", found.addIntegrityLabel);
    findProcedure(kernel, "DeleteBoundaryDescriptor", found.deleteBoundary);
    findProcedure(kernel, "CreatePrivateNamespaceW", found.createNamespace);
    findProcedure(kernel, "OpenPrivateNamespaceW", found.openNamespace);
    findProcedure(kernel, "ClosePrivateNamespace", found.closeNamespace);
    return found;
}

bool notSupported(DWORD error) { return error == ERROR_CALL_NOT_IMPLEMENTED || error == ERROR_NOT_SUPPORTED; }

bool tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, std::vector<BYTE>& out) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) return false;
    out.assign(size, 0);
    return GetTokenInformation(token, kind, out.data(), size, &size) != FALSE;
}

PSID userSid(const std::vector<BYTE>& user) { return reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid; }

PSID integritySid(const std::vector<BYTE>& integrity) {
    return integrity.empty() ? nullptr : reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(integrity.data())->Label.Sid;
}

// The namespace's boundary name; the SIDs added to it tell one user's and level's namespace from another's.
constexpr wchar_t kBoundaryName[] = L"vornicw single instance";

// A namespace whose creator has just closed it disappears between the failed create and the open;
// the next create then succeeds.
constexpr int kNamespaceAttempts = 3;

}  // namespace

InstanceNamespace::~InstanceNamespace() {
    if (namespace_) closeNamespace_(namespace_, 0);
}

bool InstanceNamespace::makeSecurity() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return false;
    const UniqueHandle token(rawToken);
    if (!tokenInformation(token.get(), TokenUser, user_)) return false;
    // Systems before Vista know no integrity levels: the user's SID alone then.
    if (!tokenInformation(token.get(), TokenIntegrityLevel, integrity_)) integrity_.clear();

    const PSID user = userSid(user_);
    dacl_.assign(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user), 0);
    auto* dacl = reinterpret_cast<ACL*>(dacl_.data());
    if (!InitializeAcl(dacl, static_cast<DWORD>(dacl_.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(dacl, ACL_REVISION, GENERIC_ALL, user) ||
        !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor_, user, FALSE) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, dacl, FALSE)) {
        return false;
    }
    if (const PSID level = integritySid(integrity_)) {
        sacl_.assign(sizeof(ACL) + sizeof(SYSTEM_MANDATORY_LABEL_ACE) + GetLengthSid(level), 0);
        auto* sacl = reinterpret_cast<ACL*>(sacl_.data());
        // A label is added only where the system takes one; the user-only DACL stands either way.
        const DWORD policy = SYSTEM_MANDATORY_LABEL_NO_WRITE_UP | SYSTEM_MANDATORY_LABEL_NO_READ_UP;
        const bool labelled = InitializeAcl(sacl, static_cast<DWORD>(sacl_.size()), ACL_REVISION) &&
                              AddMandatoryAce(sacl, ACL_REVISION, 0, policy, level) &&
                              SetSecurityDescriptorSacl(&descriptor_, TRUE, sacl, FALSE);
        if (!labelled) sacl_.clear();
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}

InstanceNamespace::Private InstanceNamespace::openPrivate() {
    const NamespaceCalls calls = namespaceCalls();
    if (!calls.complete()) return Private::Unsupported;
    closeNamespace_ = calls.closeNamespace;
    HANDLE boundary = calls.createBoundary(kBoundaryName, 0);
    if (!boundary) return notSupported(GetLastError()) ? Private::Unsupported : Private::Refused;
    const Private result = openPrivateWithin(calls, boundary);
    calls.deleteBoundary(boundary);
    return result;
}

InstanceNamespace::Private InstanceNamespace::openPrivateWithin(const NamespaceCalls& calls, HANDLE& boundary) {
    const PSID level = integritySid(integrity_);
    if (!calls.addSid(&boundary, userSid(user_)) || (level && !calls.addIntegrityLabel(&boundary, level))) {
        return notSupported(GetLastError()) ? Private::Unsupported : Private::Refused;
    }
    for (int attempt = 0; attempt < kNamespaceAttempts; ++attempt) {
        namespace_ = calls.createNamespace(&attributes_, boundary, kNamespaceAlias);
        if (namespace_) return Private::Opened;
        const DWORD created = GetLastError();
        if (notSupported(created)) return Private::Unsupported;
        if (created != ERROR_ALREADY_EXISTS) return Private::Refused;
        namespace_ = calls.openNamespace(boundary, kNamespaceAlias);
        if (namespace_) return Private::Opened;
        // Refused by the namespace's security: held by someone this process may not join.
        if (GetLastError() == ERROR_ACCESS_DENIED) return Private::Refused;
    }
    return Private::Refused;
}

bool InstanceNamespace::open() {
    if (!makeSecurity()) return false;
    // Only a system without private namespaces falls back to the session's names: one that has them
    // but refuses this process is not given a way around its refusal.
    return openPrivate() != Private::Refused;
}

Text InstanceNamespace::objectName(const Text& name) const {
    return isPrivate() ? Text(kNamespaceAlias) + L"\\" + name : name;
}
