// When the GPU draws a folder show's moving views: a real GPU yes, a software renderer only
// when asked for, never when turned off or when the desktop has no OpenGL.
#include <gtest/gtest.h>

#include "platform/GpuChoice.h"

namespace tp {
namespace {

TEST(GpuChoice, HardwareYesSoftwareOnlyOnRequestNothingWhenOffOrAbsent) {
  const std::string gpu = "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)";
  const std::string soft = "llvmpipe (LLVM 15.0.6, 256 bits)";
  EXPECT_TRUE(ChooseGpu(gpu, nullptr).use);
  EXPECT_EQ(ChooseGpu(gpu, nullptr).reason, gpu);
  EXPECT_TRUE(ChooseGpu(gpu, "1").use);
  EXPECT_FALSE(ChooseGpu(gpu, "0").use);
  EXPECT_EQ(ChooseGpu(gpu, "0").reason, "off (TIDEPOOL_GL=0)");

  EXPECT_FALSE(ChooseGpu(soft, nullptr).use);
  EXPECT_EQ(ChooseGpu(soft, nullptr).reason, "off (software renderer " + soft + ")");
  EXPECT_FALSE(ChooseGpu(soft, "yes").use);  // only "1" forces it
  EXPECT_TRUE(ChooseGpu(soft, "1").use);

  EXPECT_FALSE(ChooseGpu("", "1").use);  // no context at all: nothing to force
  EXPECT_EQ(ChooseGpu("", nullptr).reason, "off (no OpenGL)");
}

TEST(GpuChoice, KnowsMesasSoftwareRasterisersByName) {
  for (const char* name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Gallium 0.4 on softpipe", "Software Rasterizer",
                           "Mesa X11 swrast", "LLVMPIPE"})
    EXPECT_TRUE(IsSoftwareRenderer(name)) << name;
  for (const char* name : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060/PCIe/SSE2", "virgl"})
    EXPECT_FALSE(IsSoftwareRenderer(name)) << name;
}

}  // namespace
}  // namespace tp
