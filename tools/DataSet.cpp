#include "DataSet.h"

#include "Landform.h"
#include "Pictures.h"
#include "app/TextureTable.h"
#include "image/BmpWriter.h"

#include <cstring>

namespace {
enum class Format {
    Rgb24,
    Rgb24TopDown,
    Rgb24Core,   // 12-byte header
    Rgb24Packed, // no "BM" file header
    Rgb32,
    Rgb32TopDown,
    Fields32,
    Rgb16,    // 5-5-5
    Fields16, // 5-6-5
    Fields16TopDown,
    Pal8,
    Pal8Core,
    Pal8Packed,
    Rle8,
    Pal4,
    Rle4,
    Pal1,
};

// One per texture, in table order.
constexpr Format kFormats[kTextureTableSize] = {
    Format::Rgb24,           // landscpt
    Format::Pal8,            // landscpt2
    Format::Rgb32,           // landscpt3
    Format::Rle8,            // star
    Format::Pal1,            // info
    Format::Rgb24Core,       // water
    Format::Pal8Packed,      // trail
    Format::Rgb16,           // cobra_mainbarrel_sides
    Format::Pal4,            // cobra_maingun_laser
    Format::Rgb24TopDown,    // cobra_mainbarrel
    Format::Fields32,        // cobra_mainturret_back
    Format::Rgb24,           // cobra_mainturret_front
    Format::Rle4,            // cobra_treads
    Format::Pal8,            // cobra_treads_front
    Format::Fields16,        // cobra_long_middle
    Format::Rgb24Packed,     // cobra_shortpanels
    Format::Rle8,            // cobra_tallvents
    Format::Pal8Core,        // cobra_blowers
    Format::Rgb16,           // cobra_backvents
    Format::Rgb32,           // cobra_long_middlend
    Format::Pal4,            // cobra_vents_short
    Format::Rgb24Core,       // cobra_turret_back
    Format::Rgb24,           // cobra_longpanels
    Format::Rle8,            // cobra_underhatches
    Format::Fields16TopDown, // cobra_vents_long
    Format::Pal8,            // cobra_straps
    Format::Rgb32TopDown,    // cobra_turret_side
    Format::Rgb24,           // cobra_accessories
    Format::Pal4,            // cobra_camo
    Format::Pal8Packed,      // cobra_hatches
    Format::Rgb24,           // vehlengback
    Format::Rgb16,           // vehltopfrnt2sml
    Format::Rle4,            // trukrearbumper
};

BmpLayout LayoutFor(Format format, const std::vector<uint8_t>& rgb) {
    BmpLayout l;
    auto indexed = [&](int bpp, uint32_t compression) {
        l.bitsPerPixel = bpp;
        l.compression = compression;
        l.palette = FitPalette(rgb, 1 << bpp);
    };
    switch (format) {
    case Format::Rgb24:
        break;
    case Format::Rgb24TopDown:
        l.topDown = true;
        break;
    case Format::Rgb24Core:
        l.coreHeader = true;
        break;
    case Format::Rgb24Packed:
        l.fileHeader = false;
        break;
    case Format::Rgb32:
        l.bitsPerPixel = 32;
        break;
    case Format::Rgb32TopDown:
        l.bitsPerPixel = 32;
        l.topDown = true;
        break;
    case Format::Fields32:
        l.bitsPerPixel = 32;
        l.compression = 3;
        l.masks[0] = 0xFF000000, l.masks[1] = 0x00FF0000, l.masks[2] = 0x0000FF00;
        break;
    case Format::Rgb16:
        l.bitsPerPixel = 16;
        break;
    case Format::Fields16:
    case Format::Fields16TopDown:
        l.bitsPerPixel = 16;
        l.compression = 3; // the layout's default masks are 5-6-5
        l.topDown = format == Format::Fields16TopDown;
        break;
    case Format::Pal8:
        indexed(8, 0);
        break;
    case Format::Pal8Core:
        indexed(8, 0);
        l.coreHeader = true;
        break;
    case Format::Pal8Packed:
        indexed(8, 0);
        l.fileHeader = false;
        break;
    case Format::Rle8:
        indexed(8, 1);
        break;
    case Format::Pal4:
        indexed(4, 0);
        break;
    case Format::Rle4:
        indexed(4, 2);
        break;
    case Format::Pal1:
        indexed(1, 0);
        break;
    }
    return l;
}

Canvas PaintTexture(int index) {
    switch (index) {
    case 0:
        return PaintGrass();
    case 1:
        return PaintRock();
    case 2:
        return PaintSnow();
    case 3:
        return PaintStar();
    case 4:
        return PaintInfoPanel();
    case 5:
        return PaintWater();
    case 6:
        return PaintTrail();
    default: {
        const char* path = kTextureTable[index];
        const char* slash = std::strrchr(path, '/');
        return PaintTankPicture(slash != nullptr ? slash + 1 : path);
    }
    }
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    if (at + 4 > b.size())
        return 0;
    return static_cast<uint32_t>(b[at]) | b[at + 1] << 8 | b[at + 2] << 16 |
           static_cast<uint32_t>(b[at + 3]) << 24;
}
} // namespace

std::vector<DataFile> MakeDefaultPictures(int mapSize) {
    std::vector<DataFile> files;
    for (int i = 0; i < kTextureTableSize; ++i) {
        Canvas canvas = PaintTexture(i);
        std::vector<uint8_t> rgb = canvas.Rgb();
        files.push_back({kTextureTable[i],
                         EncodeBmp(canvas.width, canvas.height, rgb, LayoutFor(kFormats[i], rgb))});
    }
    files.push_back(
        {kHeightMapFile, EncodeHeightMapBmp(mapSize, mapSize,
                                            mapSize == kSmallMapSize ? MakeSmallHeightMap()
                                                                     : Landform::Make(mapSize))});
    return files;
}

std::string DescribeDib(const std::vector<uint8_t>& b) {
    const bool fileHeader = b.size() >= 2 && b[0] == 'B' && b[1] == 'M';
    const size_t info = fileHeader ? 14 : 0;
    const uint32_t infoSize = Le32(b, info);
    if (b.size() < info + 16 || (infoSize != 12 && infoSize != 40))
        return "unknown layout";
    const bool core = infoSize == 12;
    const int bpp = b[info + (core ? 10 : 14)];
    const uint32_t compression = core ? 0 : Le32(b, info + 16);
    const bool topDown = !core && static_cast<int32_t>(Le32(b, info + 8)) < 0;
    std::string text = std::to_string(bpp) + (bpp == 1 ? " bit" : " bits");
    if (bpp <= 8)
        text += ", palette";
    if (compression == 1)
        text += ", RLE8";
    else if (compression == 2)
        text += ", RLE4";
    else if (compression == 3)
        text += ", bit fields";
    if (core)
        text += ", 12-byte header";
    if (!fileHeader)
        text += ", no file header";
    if (topDown)
        text += ", top-down";
    return text;
}
