#include "animation/AnimObjects.h"

#include <string>

#include "animation/AnimImgObject.h"
#include "animation/GifObject.h"
#include "animation/ImgObject.h"
#include "core/IniFile.h"

namespace tp {

void TAnimObjects::LoadFromText(std::string_view text) {
  Clear();
  const IniFile ini = IniFile::Parse(text);
  const int sections = int(ini.SectionCount());
  for (int n = 0; n < sections && Count() < kMaxObjects; ++n) {
    const std::string type = ini.ReadString("Obj" + std::to_string(n), "ObjType", "");
    std::unique_ptr<TAnimObject> object;
    if (type == "GIF") {
      object = std::make_unique<TGifObject>();
    } else if (type == "IMG") {
      object = std::make_unique<TImgObject>();
    } else {
      continue;
    }
    TAnimObject* raw = object.get();
    Add(std::move(object));
    raw->LoadDescription(ini);
  }
}

void TAnimObjects::Add(std::unique_ptr<TAnimObject> object) {
  object->Index = Count();
  if (TAnimImgObject* image = object->AsImage()) image->SetPictures(pictures_);
  items_.push_back(std::move(object));
}

void TAnimObjects::StopAll() {
  for (auto& o : items_) o->Stop();
}

void TAnimObjects::Clear() {
  // Tell every thread to end before waiting for any, so a long list ends quickly.
  for (auto& o : items_) {
    if (o->Thread) o->Thread->RequestTerminate();
  }
  items_.clear();
  pictures_ = std::make_shared<TObjectPictures>(pictures_->Budget());
}

}  // namespace tp
