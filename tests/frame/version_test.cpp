#include <vq_tbl32.h>

#include "frame/version.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Version, ExportedItemsMatchTheBanner) {
  EXPECT_EQ(vqGetTbl32Version(), 256u);
  EXPECT_STREQ(DllVersion, "1.00");
  EXPECT_STREQ(DllBuild, "0087");
  // The banner, release and build texts must tell the same version as the
  // exported items, or a host's about box contradicts itself.
  const std::string banner = vq::frame::kBanner;
  EXPECT_NE(banner.find(vq::frame::kReleaseText), std::string::npos);
  EXPECT_NE(banner.find(vq::frame::kBuildText), std::string::npos);
  EXPECT_STREQ(vq::frame::kReleaseText, (std::string("Release ") + DllVersion).c_str());
  EXPECT_STREQ(vq::frame::kBuildText, (std::string("Build ") + DllBuild).c_str());
}
