// One packet of every valid kind with every field set, for round trips and fuzz seeds.
#pragma once

#include <vector>

#include "protocol/Packet.h"

namespace orvane::testing {

inline std::vector<CPacket> SamplePackets() {
    std::vector<CPacket> out;
    out.emplace_back(u"[RH00009]2,1,0,0,1920,1080");

    CPacket p;
    p.kind = PacketKind::kThreeIntegers;
    p.a = {1, -2, 0x7FFFFFFF};
    out.push_back(p);

    p = CPacket();
    p.kind = PacketKind::kMixedRecord;
    p.g = {1, 2, 3, 4, -5};
    p.g16 = {6, 7, 8, 0xFFFF};
    p.h1 = {1, 2, 3};
    p.h2 = {};
    out.push_back(p);

    out.emplace_back(
        std::vector<KeyEventRecord>{{0x100, 0x41, 1, 0x001E0001}, {0x101, 0x41, 1, -0x3FE1FFFF}});
    out.emplace_back(std::vector<MouseEventRecord>{{0x200, 0, 100, 200, 0}, {0x20A, 0, -5, 7, -120}});

    for (int k5 : {0, 3}) {
        p = CPacket();
        p.kind = PacketKind::kDataRecord;
        p.k = {1, 2, 3, 4, k5, 6, 7};
        p.blockC = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        p.k7 = k5 == 0 ? 77 : 0;  // K7 is only on the wire when K5 is 0
        p.data = {9, 9};
        out.push_back(p);
    }

    p = CPacket(1000, "abc", 3, 42);
    p.kind = PacketKind::kTaggedBlockWithPrefix;
    p.e1 = -1;
    out.push_back(p);

    p = CPacket();
    p.kind = PacketKind::kNamedData;
    p.f = {1, 2, 3};
    p.name = u"이름.txt";
    p.data = {0, 1, 2, 3};
    out.push_back(p);

    p = CPacket();
    p.kind = PacketKind::kTwoIntegers;
    p.b = {-7, 8};
    out.push_back(p);

    out.emplace_back(16000, "\x01\x02\x03\x04", 4);
    out.emplace_back(123456, "frame", 5, 17);

    p = CPacket(u"[PC_CONN]");
    p.Wrap(22, 11);
    out.push_back(p);

    p.kind = PacketKind::kRelayMultiEnvelope;
    p.targets = {5, 6, 7};
    out.push_back(p);

    p = CPacket(3, "xyz", 3);
    p.kind = PacketKind::kBlock;
    out.push_back(p);

    p = CPacket();
    p.kind = PacketKind::kDataBlock;
    p.blockC.fill(0xEE);
    p.data = {1};
    out.push_back(p);
    return out;
}

}  // namespace orvane::testing
