// The IP protocol-name table.
#include "capture/log/protocol_names.h"

#include <cstdio>

// Keywords of the assigned-numbers list of IP protocols; "unknown (N)" where the list has none.
// clang-format off
char protocolNames[256][kProtocolNameSize] = {
    "Reserved", "ICMP", "IGMP", "GGP", "IP", "ST", "TCP", "UCL", "EGP", "IGP", // 0..9
    "BBN-RCC-MON", "NVP-II", "PUP", "ARGUS", "EMCON", "XNET", "CHAOS", "UDP", "MUX", "DCN-MEAS", // 10..19
    "HMP", "PRM", "XNS-IDP", "TRUNK-1", "TRUNK-2", "LEAF-1", "LEAF-2", "RDP", "IRTP", "ISO-TP4", // 20..29
    "NETBLT", "MFE-NSP", "MERIT-INP", "SEP", "3PC", "IDPR", "XTP", "DDP", "IDPR-CMTP", "TP++", // 30..39
    "IL", "SIP", "SDRP", "SIP-SR", "SIP-FRAG", "IDRP", "RSVP", "GRE", "MHRP", "BNA", // 40..49
    "SIPP-ESP", "SIPP-AH", "I-NLSP", "SWIPE", "NHRP", // 50..54
    "unknown (55)", "unknown (56)", "unknown (57)", "unknown (58)", "unknown (59)", // 55..59
    "unknown (60)", "unknown (61)", "CFTP", "unknown (63)", "SAT-EXPAK", // 60..64
    "KRYPTOLAN", "RVD", "IPPC", "unknown (68)", "SAT-MON", // 65..69
    "VISA", "IPCV", "CPNX", "CPHB", "WSN", "PVP", "BR-SAT-MON", "SUN-ND", "WB-MON", "WB-EXPAK", // 70..79
    "ISO-IP", "VMTP", "SECURE-VMTP", "VINES", "TTP", "NSFNET-IGP", "DGP", "TCF", "IGRP", "OSPFIGP", // 80..89
    "Sprite-RPC", "LARP", "MTP", "AX.25", "IPIP", "MICP", "SCC-SP", "ETHERIP", "ENCAP", "unknown (99)", // 90..99
    "GMTP", // 100
};
// clang-format on

void FillUnknownProtocolNames() {
    for (int number = 101; number < 256; ++number) {
        std::snprintf(protocolNames[number], kProtocolNameSize, "unknown (%d)", number);
    }
}
