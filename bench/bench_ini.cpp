// Reading settings texts of growing size; the figure says whether the work stays linear:
//   ini_80k_keys_vs_8k   reading an 80 000-key picture list over reading an 8 000-key one
//                        (parse plus the file list's read of every key); linear is 10
//   ini_40k_sections_vs_4k  the same for an animation text of that many sections read by
//                        the object list (none of them an object, so only the look-ups count)
#include <benchmark/benchmark.h>

#include <string>

#include "animation/AnimObjects.h"
#include "core/IniFile.h"
#include "project/ProjectSettings.h"
#include "support/BenchReport.h"

namespace {

using namespace tp;
using namespace tp::bench;

std::string FileListText(int keys) {
  std::string text = "[FileListHeader]\r\nHeader=1\r\n[FileList]\r\n";
  for (int i = 0; i < keys; ++i) text += "Picture number " + std::to_string(i) + ".mpp=1\r\n";
  return text;
}

std::string SectionsText(int sections) {
  std::string text;
  for (int i = 0; i < sections; ++i) text += "[Note" + std::to_string(i) + "]\r\nKey=" + std::to_string(i) + "\r\n";
  return text;
}

double ReadFileListSeconds(const std::string& text) {
  return MedianSeconds([&] {
    TMpCFileList list;
    list.Read(IniFile::Parse(text));
    benchmark::DoNotOptimize(list.pictures.data());
  });
}

double ReadObjectsSeconds(const std::string& text) {
  return MedianSeconds([&] {
    TAnimObjects objects;
    objects.LoadFromText(text);
    benchmark::DoNotOptimize(objects.Count());
  });
}

void BM_FileList8k(benchmark::State& state) {
  const std::string text = FileListText(8000);
  for (auto _ : state) {
    TMpCFileList list;
    list.Read(IniFile::Parse(text));
    benchmark::DoNotOptimize(list.pictures.data());
  }
}
BENCHMARK(BM_FileList8k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const double small = ReadFileListSeconds(FileListText(8000));
  const double large = ReadFileListSeconds(FileListText(80000));
  Figure("ini_80k_keys_vs_8k", large / small);
  const double fewSections = ReadObjectsSeconds(SectionsText(4000));
  const double manySections = ReadObjectsSeconds(SectionsText(40000));
  Figure("ini_40k_sections_vs_4k", manySections / fewSections);
  return RunAndReport(argc, argv);
}
