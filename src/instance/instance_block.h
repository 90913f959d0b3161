// What the instances of one executable share: the names of their kernel objects, the header of the
// shared block, and the request that carries a later start's arguments to the running instance.
//
//   const Text key = instanceKey(exePath);                 // one channel per executable path
//   std::vector<std::uint8_t> bytes = encodeRequest(arguments, ok);
//   TextList received; decodeRequest(bytes.data(), bytes.size(), received);
//
// A request travels in a mapping of its own, named after the key and the requesting thread
// (requestName), so that any number of later starts can hand over at once: none waits for another,
// none can overwrite another's arguments before they were read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/text.h"

// The shared block, named by the key, written once by the first instance. Little-endian; the same
// layout in the x64 and the x86 build.
struct InstanceHeader {
    std::uint32_t listenerThreadId;  // offset 0: receives the requests
    std::uint32_t ownerProcessId;    // offset 4: the first instance, watched by waiting starts
    std::uint32_t requestMessage;    // offset 8: registered message of requests and replies
};
static_assert(sizeof(InstanceHeader) == 12, "the header's offsets are 0, 4 and 8");

// Kernel object names may hold at most this many units (and an atom name for the registered message
// at most 255); every name below stays within it, with the private namespace's alias and a
// backslash before it.
constexpr std::size_t kMaxObjectNameLength = 259;
constexpr wchar_t kNamespaceAlias[] = L"vnw";

// The executable's full path with every backslash made an underscore. A path whose names would not
// fit (a long install path) becomes a hash of the whole key followed by its last units, so that two
// paths still never share a channel.
Text instanceKey(const Text& exePath);

Text startMutexName(const Text& key);     // orders the starts that decide who is first
Text requestName(const Text& key, std::uint32_t threadId);

// A request's mapping, little-endian:
//   offset 0   uint32  taken: kRequestUnread, then kRequestClaimed and kRequestDelivered (below)
//   offset 4   uint32  count of arguments
//   offset 8   uint32  count of UTF-16 units that follow
//   offset 12  each argument's units followed by one NUL unit
// The count, not a terminator, ends the list, so empty arguments pass. No arguments at all deliver
// one empty string, which the receiving method has always been given for a bare start.
constexpr std::size_t kRequestHeaderSize = 12;
constexpr std::size_t kRequestTakenOffset = 0;
// What the running instance made of a request, in its "taken" word. Only a delivered request is its to
// answer; one that never got that far (the instance ended first, or was ending) is run by the later
// start itself.
constexpr std::uint32_t kRequestUnread = 0;
constexpr std::uint32_t kRequestClaimed = 1;    // read by the one listener that will deliver it
constexpr std::uint32_t kRequestDelivered = 2;  // handed to the Java side
// The lParam of a reply that says the application is ending and will not take the command line.
constexpr std::uintptr_t kReplyEnding = 1;
// Twice the longest command line the system accepts (32,767 units): anything it can start fits.
constexpr std::size_t kMaxRequestUnits = 65536;

// The request's bytes; false (and `bytes` empty) when the arguments exceed kMaxRequestUnits.
bool encodeRequest(const TextList& arguments, std::vector<std::uint8_t>& bytes);

// The arguments of a request of `size` bytes; false (and `arguments` empty) when the counts do not
// match what the bytes hold.
bool decodeRequest(const std::uint8_t* bytes, std::size_t size, TextList& arguments);
