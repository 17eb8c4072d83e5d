// IP Helper stand-in: the hardware address behind an IPv4 address, from what Linux shows of
// its interfaces (the interface list, /sys/class/net/<name>/address) and its neighbour table
// (/proc/net/arp). No request goes out on the network.
#pragma once

#include <win32/kernel.h>
#include <win32/types.h>

// An IPv4 address in network byte order, as inet_pton writes it.
typedef DWORD IPAddr;
typedef ULONG* PULONG;

#define ERROR_GEN_FAILURE 31L
#define ERROR_BAD_NET_NAME 67L
#define ERROR_NOT_FOUND 1168L

// Writes the hardware address for destination into macAddress and its length into
// *addressLength (6 for Ethernet). A destination held by a local interface answers that
// interface's own address; any other destination answers the complete entry of the
// neighbour table. source is not used. Answers NO_ERROR, ERROR_INVALID_PARAMETER (null
// pointers), ERROR_BUFFER_OVERFLOW (*addressLength below 6), ERROR_GEN_FAILURE (a loopback
// interface, or one whose address cannot be read) or ERROR_BAD_NET_NAME (nothing known).
DWORD SendARP(IPAddr destination, IPAddr source, PVOID macAddress, PULONG addressLength);
