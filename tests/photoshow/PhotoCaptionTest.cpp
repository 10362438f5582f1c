// Captions' text: the date taken in the zone and format the environment names, the folder's
// own name, and bytes that are not text made safe to draw and to log.
#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/CodePage.h"
#include "photoshow/PhotoCaption.h"
#include "platform/LocalDate.h"

namespace tp {
namespace {

// Sets an environment variable for the test's scope, giving the old value back after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value, 1);
    tzset();
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
    tzset();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

constexpr int64_t k15June2021Utc = 1623715200;  // 2021-06-15 00:00:00 UTC
const std::string kDot = "\u00B7";
const std::string kBad = "\uFFFD";

LibraryPicture Picture(int64_t taken, std::string folder) {
  LibraryPicture p;
  p.path = folder + "/x.jpg";
  p.folder = std::move(folder);
  p.taken = taken;
  return p;
}

TEST(PhotoCaption, NamesReadInAnyCaseAndNothingElse) {
  for (PhotoCaptions c : {PhotoCaptions::Off, PhotoCaptions::Date, PhotoCaptions::DateAndFolder}) {
    PhotoCaptions back = PhotoCaptions::Off;
    ASSERT_TRUE(ParsePhotoCaptions(PhotoCaptionsName(c), back));
    EXPECT_EQ(back, c);
  }
  PhotoCaptions c = PhotoCaptions::Off;
  EXPECT_TRUE(ParsePhotoCaptions("Date+Folder", c));
  EXPECT_EQ(c, PhotoCaptions::DateAndFolder);
  for (const char* bad : {"", "folder", "date folder", "dates", " date"})
    EXPECT_FALSE(ParsePhotoCaptions(bad, c)) << bad;
}

TEST(PhotoCaption, TheDateIsTheLocalCalendarDayInTheLocalesFormat) {
  ScopedEnv locale("LC_ALL", "C");
  {
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(LocalDateText(k15June2021Utc), "06/15/21");
    EXPECT_EQ(LocalDateText(k15June2021Utc - 1), "06/14/21");
  }
  {
    // Ten hours east of UTC the evening before is already the 15th.
    ScopedEnv tz("TZ", "UTC-10");
    EXPECT_EQ(LocalDateText(k15June2021Utc - 8 * 3600), "06/15/21");
  }
  {
    ScopedEnv tz("TZ", "UTC");
    // A locale that is not installed falls back to the C format instead of nothing.
    ScopedEnv missing("LC_ALL", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(LocalDateText(k15June2021Utc), "06/15/21");
  }
  {
    ScopedEnv tz("TZ", "UTC");
    ScopedEnv utf8("LC_ALL", "C.UTF-8");
    EXPECT_EQ(LocalDateText(k15June2021Utc), "06/15/21");
  }
}

TEST(PhotoCaption, TheFolderIsItsLastComponent) {
  EXPECT_EQ(FolderName("/home/me/Pictures/Beach 2021"), "Beach 2021");
  EXPECT_EQ(FolderName("/home/me/Pictures/Beach//"), "Beach");
  EXPECT_EQ(FolderName("Beach"), "Beach");
  EXPECT_EQ(FolderName("/"), "");
  EXPECT_EQ(FolderName(""), "");
}

TEST(PhotoCaption, TextForEachSetting) {
  ScopedEnv locale("LC_ALL", "C");
  ScopedEnv tz("TZ", "UTC");
  const LibraryPicture p = Picture(k15June2021Utc, "/photos/Beach");
  EXPECT_EQ(CaptionText(p, PhotoCaptions::Off), "");
  EXPECT_EQ(CaptionText(p, PhotoCaptions::Date), "06/15/21");
  EXPECT_EQ(CaptionText(p, PhotoCaptions::DateAndFolder), "06/15/21 " + kDot + " Beach");
  // Folder names in any script are kept; a picture at the root has the date alone.
  EXPECT_EQ(CaptionText(Picture(k15June2021Utc, "/p/\u6D77\u8FBA"), PhotoCaptions::DateAndFolder),
            "06/15/21 " + kDot + " \u6D77\u8FBA");
  EXPECT_EQ(CaptionText(Picture(k15June2021Utc, "/"), PhotoCaptions::DateAndFolder), "06/15/21");
}

TEST(PhotoCaption, BytesThatAreNotTextAreReplaced) {
  ScopedEnv locale("LC_ALL", "C");
  ScopedEnv tz("TZ", "UTC");
  // Latin-1 e acute, a line break and a tab: each one replacement, the rest kept.
  EXPECT_EQ(CaptionText(Picture(k15June2021Utc, "/p/caf\xE9\n\tx"), PhotoCaptions::DateAndFolder),
            "06/15/21 " + kDot + " caf" + kBad + kBad + kBad + "x");
  EXPECT_EQ(Utf8ForDisplay("a\xC0\xAF" "b"), "a" + kBad + kBad + "b");                  // overlong '/'
  EXPECT_EQ(Utf8ForDisplay("\xED\xA0\x80"), kBad + kBad + kBad);                       // a surrogate
  EXPECT_EQ(Utf8ForDisplay("end\xE2\x82"), "end" + kBad + kBad);                       // cut short
  EXPECT_EQ(Utf8ForDisplay("\xF4\x90\x80\x80"), kBad + kBad + kBad + kBad);            // past U+10FFFF
  EXPECT_EQ(Utf8ForDisplay("\x7F\xC2\x85\xC2\xA0"), kBad + kBad + "\u00A0");           // DEL, NEL; NBSP kept
  EXPECT_EQ(Utf8ForDisplay("\u20AC\U0001F30A"), "\u20AC\U0001F30A");
  const std::string zeros(3, '\0');
  EXPECT_EQ(Utf8ForDisplay(zeros), kBad + kBad + kBad);
}

}  // namespace
}  // namespace tp
