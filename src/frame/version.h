// Version constants of the library, shared by the exported version entry
// points and the banner the library context is built with.
#ifndef VQ_TBL32_FRAME_VERSION_H
#define VQ_TBL32_FRAME_VERSION_H

namespace vq::frame {

inline constexpr unsigned kVersion = 0x100; // major in the high byte
inline constexpr char kReleaseText[] = "Release 1.00";
inline constexpr char kBuildText[] = "Build 0087";
inline constexpr char kBanner[] = "vq_tbl32 (Release 1.00, Build 0087)";

} // namespace vq::frame

#endif
