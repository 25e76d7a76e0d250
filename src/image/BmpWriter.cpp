#include "image/BmpWriter.h"

#include "platform/ByteOrder.h"

#include <bit>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace {
// 8-bit channel value placed into a bit-field mask.
uint32_t PackChannel(uint8_t value, uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = 32 - std::countl_zero(mask >> shift);
    uint32_t v = bits >= 8 ? static_cast<uint32_t>(value) << (bits - 8) : value >> (8 - bits);
    return (v << shift) & mask;
}

// Palette index of every pixel: the nearest entry by squared distance.
std::vector<uint8_t> Quantise(const std::vector<uint8_t>& rgb,
                              const std::vector<uint32_t>& palette) {
    std::vector<uint8_t> indices(rgb.size() / 3);
    std::unordered_map<uint32_t, uint8_t> known;
    for (size_t i = 0; i < indices.size(); ++i) {
        uint32_t colour = (rgb[i * 3] << 16) | (rgb[i * 3 + 1] << 8) | rgb[i * 3 + 2];
        auto found = known.find(colour);
        if (found != known.end()) {
            indices[i] = found->second;
            continue;
        }
        int best = 0;
        long bestDistance = -1;
        for (size_t k = 0; k < palette.size() && k < 256; ++k) {
            long dr = static_cast<long>(palette[k] >> 16 & 0xFF) - rgb[i * 3];
            long dg = static_cast<long>(palette[k] >> 8 & 0xFF) - rgb[i * 3 + 1];
            long db = static_cast<long>(palette[k] & 0xFF) - rgb[i * 3 + 2];
            long distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(k);
            }
        }
        indices[i] = static_cast<uint8_t>(best);
        known.emplace(colour, indices[i]);
    }
    return indices;
}

// One stored row of palette indices run-length coded: runs of two or more,
// literal stretches of three or more, single pixels as runs of one.
void EncodeRleRow(std::vector<uint8_t>& out, const uint8_t* row, int width, bool fourBit) {
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 255 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(fourBit ? static_cast<uint8_t>(row[i] << 4 | row[i]) : row[i]);
            i += run;
            continue;
        }
        int j = i;
        while (j < width && j - i < 255) {
            int r = 1;
            while (j + r < width && r < 3 && row[j + r] == row[j])
                ++r;
            if (r >= 3)
                break;
            ++j;
        }
        const int n = j - i;
        if (n < 3) {
            for (int k = 0; k < n; ++k) {
                out.push_back(1);
                out.push_back(fourBit ? static_cast<uint8_t>(row[i + k] << 4) : row[i + k]);
            }
        } else {
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(n));
            size_t start = out.size();
            if (fourBit) {
                for (int k = 0; k < n; k += 2)
                    out.push_back(
                        static_cast<uint8_t>(row[i + k] << 4 | (k + 1 < n ? row[i + k + 1] : 0)));
            } else {
                out.insert(out.end(), row + i, row + j);
            }
            if ((out.size() - start) & 1)
                out.push_back(0);
        }
        i = j;
    }
}
} // namespace

std::vector<uint8_t> EncodeBmp(int width, int height, const std::vector<uint8_t>& rgb,
                               const BmpLayout& layout) {
    const int bpp = layout.bitsPerPixel;
    const bool indexed = bpp <= 8;
    const bool core = layout.coreHeader;
    const bool bitFields = !core && layout.compression == 3;
    const bool rle = !core && (layout.compression == 1 || layout.compression == 2);
    const bool topDown = layout.topDown && !core && !rle;
    const size_t paletteCount = indexed ? layout.palette.size() : 0;

    std::vector<uint8_t> out;
    if (layout.fileHeader) {
        out.push_back('B');
        out.push_back('M');
        AppendLe32(out, 0); // file size, patched below
        AppendLe32(out, 0);
        AppendLe32(out, 0); // pixel offset, patched below
    }
    const size_t info = out.size();
    if (core) {
        AppendLe32(out, 12);
        AppendLe16(out, static_cast<uint32_t>(width));
        AppendLe16(out, static_cast<uint32_t>(height));
        AppendLe16(out, 1);
        AppendLe16(out, static_cast<uint32_t>(bpp));
    } else {
        AppendLe32(out, 40);
        AppendLe32(out, static_cast<uint32_t>(width));
        AppendLe32(out, static_cast<uint32_t>(topDown ? -height : height));
        AppendLe16(out, 1);
        AppendLe16(out, static_cast<uint32_t>(bpp));
        AppendLe32(out, layout.compression);
        AppendLe32(out, 0);    // image size, patched below
        AppendLe32(out, 2835); // 72 dots per inch
        AppendLe32(out, 2835);
        AppendLe32(out, static_cast<uint32_t>(paletteCount));
        AppendLe32(out, 0);
        if (bitFields)
            for (uint32_t mask : layout.masks)
                AppendLe32(out, mask);
    }
    for (size_t k = 0; k < paletteCount; ++k) {
        uint32_t colour = layout.palette[k];
        out.push_back(static_cast<uint8_t>(colour));
        out.push_back(static_cast<uint8_t>(colour >> 8));
        out.push_back(static_cast<uint8_t>(colour >> 16));
        if (!core)
            out.push_back(0);
    }
    const size_t bitsOffset = out.size();

    std::vector<uint8_t> indices;
    if (indexed)
        indices = Quantise(rgb, layout.palette);
    const size_t stride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
    for (int r = 0; r < height; ++r) {
        const int source = topDown ? r : height - 1 - r; // picture row, top = 0
        const uint8_t* pixels = rgb.data() + static_cast<size_t>(source) * width * 3;
        if (rle) {
            EncodeRleRow(out, indices.data() + static_cast<size_t>(source) * width, width,
                         layout.compression == 2);
            out.push_back(0);
            out.push_back(r + 1 < height ? 0 : 1); // end of line, end of picture
            continue;
        }
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = pixels + x * 3;
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                uint8_t index = indices[static_cast<size_t>(source) * width + x];
                size_t bit = static_cast<size_t>(x) * bpp;
                row[bit / 8] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
                break;
            }
            case 16: {
                uint32_t v = bitFields ? PackChannel(p[0], layout.masks[0]) |
                                             PackChannel(p[1], layout.masks[1]) |
                                             PackChannel(p[2], layout.masks[2])
                                       : (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3;
                row[x * 2] = static_cast<uint8_t>(v);
                row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            case 24:
                row[x * 3] = p[2];
                row[x * 3 + 1] = p[1];
                row[x * 3 + 2] = p[0];
                break;
            case 32: {
                uint32_t v = bitFields ? PackChannel(p[0], layout.masks[0]) |
                                             PackChannel(p[1], layout.masks[1]) |
                                             PackChannel(p[2], layout.masks[2])
                                       : static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
                for (int k = 0; k < 4; ++k)
                    row[x * 4 + k] = static_cast<uint8_t>(v >> (8 * k));
                break;
            }
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    if (!core)
        StoreLe32(out, info + 20, static_cast<uint32_t>(out.size() - bitsOffset));
    if (layout.fileHeader) {
        StoreLe32(out, 2, static_cast<uint32_t>(out.size()));
        StoreLe32(out, 10, static_cast<uint32_t>(bitsOffset));
    }
    return out;
}

std::vector<uint8_t> EncodeBmp24(int width, int height, const std::vector<uint8_t>& rgb) {
    return EncodeBmp(width, height, rgb, BmpLayout{});
}

std::vector<uint8_t> EncodeHeightMapBmp(int width, int height,
                                        const std::vector<uint8_t>& heights) {
    std::vector<uint8_t> rgb(heights.size() * 3);
    for (size_t i = 0; i < heights.size(); ++i)
        rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = heights[i];
    return EncodeBmp24(width, height, rgb);
}

bool WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::error_code error;
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
