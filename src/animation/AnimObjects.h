#pragma once
// The ordered list of the animation objects of one packaged picture; it owns them. Its
// picture objects share decoded pictures and one pixel budget (ObjectPictures.h).
#include <memory>
#include <string_view>
#include <vector>

#include "animation/AnimObject.h"
#include "animation/ObjectPictures.h"

namespace tp {

class TAnimObjects {
 public:
  // A description may name any number of sections; at most this many objects are made
  // (each one owns a thread), the rest are ignored.
  static constexpr int kMaxObjects = 256;

  TAnimObjects() = default;
  ~TAnimObjects() { Clear(); }
  TAnimObjects(const TAnimObjects&) = delete;
  TAnimObjects& operator=(const TAnimObjects&) = delete;

  // Clear, then one object per section "Obj0", "Obj1", ... whose "ObjType" is "GIF" or
  // "IMG" (case-sensitive), for as many numbers as the text has sections.
  void LoadFromText(std::string_view text);
  // Appends; the object's Index becomes its position and a picture object shares the
  // list's decoded pictures and budget.
  void Add(std::unique_ptr<TAnimObject> object);
  // Ends every object's thread, then frees the objects and their decoded pictures.
  void Clear();

  int Count() const { return int(items_.size()); }
  bool empty() const { return items_.empty(); }
  TAnimObject& operator[](int i) const { return *items_[size_t(i)]; }

  // Stops every object (all threads are told first, then each is waited for).
  void StopAll();

  // Replaces the pixel budget of the objects added from now on.
  void SetPixelBudget(int64_t pixels) { pictures_ = std::make_shared<TObjectPictures>(pixels); }
  const TObjectPictures& pictures() const { return *pictures_; }

 private:
  std::vector<std::unique_ptr<TAnimObject>> items_;
  std::shared_ptr<TObjectPictures> pictures_ = std::make_shared<TObjectPictures>();
};

}  // namespace tp
