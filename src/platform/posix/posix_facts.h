// Pieces of the machine facts that can be checked without the machine.
#pragma once

#include <ifaddrs.h>

#include <cstdint>
#include <vector>

namespace drape::platform::posix {

// The IPv4 addresses of an interface list in its order, leaving out loopback interfaces and
// any 127.x.x.x address; each in network byte order as it lies in memory.
std::vector<uint32_t> ipv4AddressesOf(const ifaddrs* list);

}  // namespace drape::platform::posix
