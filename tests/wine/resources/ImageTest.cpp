// The column-sizing cursor and the toolbox bitmap, checked against the text
// pictures that the build generates them from, pixel by pixel.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ResourceModule.h"
#include "TextPicture.h"
#include "resources/resource.h"

using namespace velmaric_test;

namespace {

#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved, type, count;
};
struct GroupCursorEntry {
    WORD width, height, planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

template <typename T>
T ReadAt(const ResourceBytes& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size) std::memcpy(&value, bytes.data + offset, sizeof(T));
    return value;
}

bool MaskBit(const uint8_t* plane, int stride, int height, int x, int y) {
    const uint8_t* row = plane + (height - 1 - y) * stride;  // bottom row first
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

// Finds the one image of group cursor 204.
bool LoadCursorImage(GroupCursorEntry& entry, ResourceBytes& image) {
    ResourceBytes group = FindModuleResource(RT_GROUP_CURSOR, MAKEINTRESOURCEW(IDC_SIZE_COLUMN));
    if (!group || group.size < sizeof(GroupHeader) + sizeof(GroupCursorEntry)) return false;
    GroupHeader header = ReadAt<GroupHeader>(group, 0);
    if (header.type != 2 || header.count != 1) return false;
    entry = ReadAt<GroupCursorEntry>(group, sizeof(GroupHeader));
    image = FindModuleResource(RT_CURSOR, MAKEINTRESOURCEW(entry.id));
    return static_cast<bool>(image);
}

}  // namespace

TEST(CursorResource, GroupEntryIs32By32Monochrome) {
    GroupCursorEntry entry;
    ResourceBytes image;
    ASSERT_TRUE(LoadCursorImage(entry, image)) << "group cursor 204 with one image";
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 64);  // a group cursor entry counts the XOR and AND masks together
    EXPECT_EQ(entry.planes, 1);
    EXPECT_EQ(entry.bitCount, 1);
    EXPECT_EQ(entry.bytesInRes, image.size);

    // The image starts with the hot spot, then the bitmap header.
    EXPECT_EQ(ReadAt<WORD>(image, 0), 16);
    EXPECT_EQ(ReadAt<WORD>(image, 2), 15);
    BITMAPINFOHEADER bih = ReadAt<BITMAPINFOHEADER>(image, 4);
    EXPECT_EQ(bih.biWidth, 32);
    EXPECT_EQ(bih.biHeight, 64);
    EXPECT_EQ(bih.biBitCount, 1);
    EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));
}

TEST(CursorResource, SystemBuildsCursorWithItsHotSpot) {
    GroupCursorEntry entry;
    ResourceBytes image;
    ASSERT_TRUE(LoadCursorImage(entry, image));
    HICON cursor = CreateIconFromResourceEx(const_cast<PBYTE>(image.data), static_cast<DWORD>(image.size), FALSE,
                                            0x00030000, 32, 32, LR_MONOCHROME);
    ASSERT_NE(cursor, nullptr) << "last error " << GetLastError();
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 15u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DestroyCursor(cursor);
}

TEST(CursorResource, PixelsMatchTheTextPicture) {
    TextPicture picture;
    ASSERT_TRUE(ReadTextPicture(ResourceSourcePath(L"size_column.cur.txt"), picture));
    ASSERT_EQ(picture.width, 32);
    ASSERT_EQ(picture.height, 32);
    EXPECT_EQ(picture.hotX, 16);
    EXPECT_EQ(picture.hotY, 15);

    GroupCursorEntry entry;
    ResourceBytes image;
    ASSERT_TRUE(LoadCursorImage(entry, image));
    const int stride = 4;
    const size_t xorOffset = 4 + sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD);
    const size_t andOffset = xorOffset + stride * 32;
    ASSERT_GE(image.size, andOffset + stride * 32);
    // Colour 0 must be black and colour 1 white, or '#' and '.' swap.
    EXPECT_EQ(ReadAt<DWORD>(image, xorOffset - 8), 0x000000u);
    EXPECT_EQ(ReadAt<DWORD>(image, xorOffset - 4), 0xFFFFFFu);

    int black = 0, white = 0, wrong = 0;
    std::string firstWrong;
    for (int y = 0; y < 32; ++y) {
        const std::string row = y < static_cast<int>(picture.rows.size()) ? picture.rows[y] : std::string();
        for (int x = 0; x < 32; ++x) {
            char c = x < static_cast<int>(row.size()) ? row[x] : ' ';
            bool xorBit = MaskBit(image.data + xorOffset, stride, 32, x, y);
            bool andBit = MaskBit(image.data + andOffset, stride, 32, x, y);
            if (xorBit != (c == '.') || andBit != (c == ' ')) {
                if (wrong++ == 0) {
                    firstWrong = "pixel (" + std::to_string(x) + "," + std::to_string(y) + ") '" + c +
                                 "' has AND " + std::to_string(andBit) + " XOR " + std::to_string(xorBit);
                }
            }
            black += c == '#';
            white += c == '.';
        }
    }
    EXPECT_EQ(wrong, 0) << "first: " << firstWrong;
    // A picture that is all transparent would pass the loop above.
    EXPECT_GT(black, 50);
    EXPECT_GT(white, 50);
    // The hot spot sits in the gap between the two bars.
    ASSERT_GT(picture.rows.size(), 15u);
    EXPECT_EQ(picture.rows[15].substr(14, 5), "##.##");
}

TEST(BitmapResource, Is16By15FourBitsMatchingTheTextPicture) {
    ResourceBytes bmp = FindModuleResource(RT_BITMAP, MAKEINTRESOURCEW(IDB_VELMARICAE));
    ASSERT_TRUE(bmp);
    BITMAPINFOHEADER bih = ReadAt<BITMAPINFOHEADER>(bmp, 0);
    ASSERT_EQ(bih.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(bih.biWidth, 16);
    EXPECT_EQ(bih.biHeight, 15);
    EXPECT_EQ(bih.biPlanes, 1);
    ASSERT_EQ(bih.biBitCount, 4);
    EXPECT_EQ(bih.biCompression, static_cast<DWORD>(BI_RGB));

    TextPicture picture;
    ASSERT_TRUE(ReadTextPicture(ResourceSourcePath(L"toolbox.bmp.txt"), picture));
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 15);
    ASSERT_EQ(picture.rows.size(), 15u);

    // The standard 16-colour palette, as RGBQUAD values (0x00RRGGBB).
    static const DWORD kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                   0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                   0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const size_t paletteOffset = sizeof(BITMAPINFOHEADER);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(ReadAt<DWORD>(bmp, paletteOffset + 4 * i), kVga[i]) << "palette entry " << i;
    }
    const size_t pixelOffset = paletteOffset + 16 * sizeof(RGBQUAD);
    const int stride = 8;  // 16 pixels of 4 bits, already a multiple of 32 bits
    ASSERT_GE(bmp.size, pixelOffset + stride * 15);

    std::set<int> colours;
    int wrong = 0;
    std::string firstWrong;
    for (int y = 0; y < 15; ++y) {
        ASSERT_EQ(picture.rows[y].size(), 16u) << "row " << y;
        const uint8_t* row = bmp.data + pixelOffset + (14 - y) * stride;  // bottom row first
        for (int x = 0; x < 16; ++x) {
            int index = (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
            char c = picture.rows[y][x];
            ASSERT_TRUE(picture.keys.count(c)) << "character '" << c << "' has no key";
            if (index != picture.keys[c] && wrong++ == 0) {
                firstWrong = "pixel (" + std::to_string(x) + "," + std::to_string(y) + ") '" + c + "' has index " +
                             std::to_string(index);
            }
            colours.insert(index);
        }
    }
    EXPECT_EQ(wrong, 0) << "first: " << firstWrong;
    EXPECT_GE(colours.size(), 4u) << "the icon should not be a blank tile";
}
