#include "fpga_images.h"

#include <gtest/gtest.h>

#include <set>

#include "image_names.h"

namespace firmware {
namespace {

namespace img = qmio::fpga_image;

TEST(FpgaImages, OneImageForEveryNameTheLibraryCanChooseAndTheRamLoadImage) {
    std::set<std::string> names;
    for (const img::Header& h : fpgaImageSet())
        EXPECT_TRUE(names.insert(h.name).second) << h.name << " twice";
    std::set<std::string> expected = test::reachableImageNames();
    EXPECT_EQ(expected.size(), 42u);
    expected.insert("load_Ram");
    EXPECT_EQ(names, expected);
}

TEST(FpgaImages, HeaderDescribesTheImageItsNameSelects) {
    const std::string prefixes[5] = {"emd", "mod", "mmd", "mom", "mow"};
    std::set<std::uint32_t> payloadCrcs;
    for (const img::Header& h : fpgaImageSet()) {
        SCOPED_TRACE(h.name);
        const auto decoded = img::decodeHeader(buildImage(h).data());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->name, h.name);
        EXPECT_TRUE(payloadCrcs.insert(decoded->payloadCrc).second) << "same payload as another image";
        if (h.name == "load_Ram") {
            EXPECT_EQ(decoded->rate, img::ImageRate::RamLoad);
            EXPECT_EQ(decoded->mode, img::kNoMode);
            continue;
        }
        ASSERT_LT(decoded->mode, 5);
        EXPECT_EQ(h.name.substr(0, 3), prefixes[decoded->mode]);
        const std::string variant = h.name.substr(3);
        EXPECT_EQ(decoded->band, variant[0] == 'L' ? 1 : 0);
        const char last = h.name.back();
        EXPECT_EQ(decoded->suffix, last == '4' || last == 'S' || last == 'o' ? last : 0);
        const img::ImageRate rate = variant.starts_with("i_shi")  ? img::ImageRate::SuperHigh
                                    : variant.starts_with("i_hi") ? img::ImageRate::High
                                    : variant.starts_with("L_UF") ? img::ImageRate::LUltra
                                    : variant.starts_with("L_NF") ? img::ImageRate::LNarrow
                                                                  : img::ImageRate::Standard;
        EXPECT_EQ(decoded->rate, rate);
    }
    const img::Header first = fpgaImageSet().front();
    EXPECT_EQ(buildImage(first), buildImage(first)) << "not reproducible";
}

}  // namespace
}  // namespace firmware
