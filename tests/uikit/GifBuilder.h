// Builds small GIF files for tests: a 4-colour global palette and frames whose pixels are palette
// indices, written with an LZW stream that sends a clear code every two pixels so every code stays
// 3 bits wide (valid for any decoder, trivial to write).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

struct TestFrame {
    int left = 0, top = 0, width = 1, height = 1;
    std::vector<uint8_t> pixels;  // palette indices 0..3, width × height
    int delay = 0;
    int disposal = 0;
    int transparent = -1;  // palette index, or -1
};

// Palette: 0 black, 1 red, 2 green, 3 blue.
inline std::vector<uint8_t> BuildGif(int width, int height, const std::vector<TestFrame>& frames,
                                     bool withControl = true) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto u16 = [&](int v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    u16(width);
    u16(height);
    out.push_back(0x80 | 0x01);  // global table of 4 entries
    out.push_back(0);
    out.push_back(0);
    const uint8_t palette[] = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    out.insert(out.end(), palette, palette + sizeof palette);
    for (const TestFrame& f : frames) {
        if (withControl) {
            out.insert(out.end(), {0x21, 0xF9, 4});
            out.push_back(static_cast<uint8_t>((f.disposal & 7) << 2 | (f.transparent >= 0 ? 1 : 0)));
            u16(f.delay);
            out.push_back(static_cast<uint8_t>(f.transparent >= 0 ? f.transparent : 0));
            out.push_back(0);
        }
        out.push_back(0x2C);
        u16(f.left);
        u16(f.top);
        u16(f.width);
        u16(f.height);
        out.push_back(0);
        out.push_back(2);  // LZW minimum code size
        std::vector<uint8_t> data;
        uint32_t bits = 0;
        int count = 0;
        auto code = [&](uint32_t c) {
            bits |= c << count;
            count += 3;
            while (count >= 8) {
                data.push_back(static_cast<uint8_t>(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        code(4);
        for (size_t i = 0; i < f.pixels.size(); ++i) {
            code(f.pixels[i]);
            if (i % 2 == 1)
                code(4);
        }
        code(5);
        if (count > 0)
            data.push_back(static_cast<uint8_t>(bits & 0xFF));
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t n = std::min<size_t>(255, data.size() - at);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<long>(at),
                       data.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

inline TestFrame SolidFrame(int left, int top, int width, int height, uint8_t index, int delay,
                            int disposal = 0) {
    TestFrame f;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.pixels.assign(static_cast<size_t>(width * height), index);
    f.delay = delay;
    f.disposal = disposal;
    return f;
}

}  // namespace orvane::test
