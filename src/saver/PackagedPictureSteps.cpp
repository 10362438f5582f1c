#include "saver/PackagedPictureSteps.h"

namespace tp {
namespace {

// Without the animation engine a packaged picture is skipped like a missing file: nothing
// is loaded and there is no engine frame to draw.
class NoPackagedPictures : public PackagedPictureSteps {
 public:
  bool LoadAndFit(const std::string&, PresentationState&, int, const std::string&) override { return false; }
  void RenderFrame() override {}
  const Bitmap32* Frame() const override { return nullptr; }
  void ResetOutput() override {}
  std::span<const TSoundSlot> SoundSlots() const override { return {}; }
  void FreeLoader() override {}
  void FreeEngine() override {}
};

}  // namespace

std::unique_ptr<PackagedPictureSteps> CreatePackagedPictureSteps() { return std::make_unique<NoPackagedPictures>(); }

}  // namespace tp
