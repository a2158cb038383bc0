// Names of the IP protocol numbers, shown in the log's record heads and the traffic list.
#pragma once

inline constexpr int kProtocolNameSize = 20;

// Indexed by the IP protocol number. Entries 0 to 100 are fixed; 101 to 255 stay empty until
// FillUnknownProtocolNames has run (the traffic list's constructor runs it).
extern char protocolNames[256][kProtocolNameSize];

// Writes "unknown (N)" into entries 101 to 255.
void FillUnknownProtocolNames();
